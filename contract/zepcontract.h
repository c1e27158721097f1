#pragma once
// The names of the host's bus contract (ZEP.Application.xml beside this file)
// and the numbers it leaves to the host, for the toolbar and the stand-in host
// alike. The stand-in's adaptors are generated from the XML; everything else
// names the contract through this header.

#include <QString>

namespace velmora::contract {

// The well-known name; one host per session owns it. The toolbar also asks
// for the host by this name.
inline constexpr QLatin1StringView kBusName{"ZEP.Application"};

inline constexpr QLatin1StringView kApplicationPath{"/Application"};
inline constexpr QLatin1StringView kPersonalityPath{"/Application/Personality"};
inline constexpr QLatin1StringView kWindowsPath{"/Application/Windows"};

inline constexpr QLatin1StringView kApplicationInterface{"ZEP.Application"};
inline constexpr QLatin1StringView kPersonalityInterface{"ZEP.Personality"};
inline constexpr QLatin1StringView kWindowsInterface{"ZEP.Windows"};
inline constexpr QLatin1StringView kWindowInterface{"ZEP.Window"};

// ZEP.Application
inline constexpr QLatin1StringView kPersonality{"Personality"};
inline constexpr QLatin1StringView kWindows{"Windows"};
inline constexpr QLatin1StringView kUserControl{"UserControl"};
inline constexpr QLatin1StringView kVisible{"Visible"};
inline constexpr QLatin1StringView kWindowState{"WindowState"};   // also of ZEP.Window
inline constexpr QLatin1StringView kActivate{"Activate"};
inline constexpr QLatin1StringView kSendKeys{"SendKeys"};
// ZEP.Personality
inline constexpr QLatin1StringView kExecuteCommand{"ExecuteCommand"};
// ZEP.Windows
inline constexpr QLatin1StringView kCount{"Count"};
inline constexpr QLatin1StringView kItem{"Item"};
inline constexpr QLatin1StringView kArrange{"Arrange"};
// ZEP.Window
inline constexpr QLatin1StringView kCaption{"Caption"};
inline constexpr QLatin1StringView kClose{"Close"};

inline constexpr QLatin1StringView kErrorCommandFailed{"ZEP.Error.CommandFailed"};
inline constexpr QLatin1StringView kErrorInvalidIndex{"ZEP.Error.InvalidIndex"};
inline constexpr QLatin1StringView kErrorNoSuchWindow{"ZEP.Error.NoSuchWindow"};

// The WindowState property of the application and of each window.
enum class WindowState : int { Normal = 1, Minimised = 2, Maximised = 3 };
// The argument of ZEP.Windows.Arrange.
enum class ArrangeStyle : int { Cascade = 1, TiledSideBySide = 2 };

} // namespace velmora::contract
