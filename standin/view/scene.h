#pragma once
// One frame of a view as plain values: what the renderer draws and what the
// overlay painter writes on top. Built without OpenGL, so it can be checked
// headless and shared by every view that draws the scenario.

#include <QColor>
#include <QLineF>
#include <QMatrix4x4>
#include <QPointF>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QVector3D>

#include <optional>
#include <vector>

namespace zep::view {

enum class Primitive { Lines, LineStrip, Points };

// A run of Scene::vertices drawn in one colour. Lines are wide, antialiased
// screen-space strokes; points are round markers.
struct Draw {
    Primitive primitive = Primitive::LineStrip;
    int first = 0;  // in vertices, not floats
    int count = 0;
    QColor color;
    float size = 1;          // line width or point diameter, logical pixels
    bool depthWrite = true;  // false: drawn over by what comes later at the same depth (grids)
    bool operator==(const Draw &) const = default;
};

// The meshes the renderer holds; a draw places one with its own transform.
enum class Mesh { Globe };
struct MeshDraw {
    Mesh mesh = Mesh::Globe;
    QMatrix4x4 model;      // mesh -> world
    QVector3D sun;         // world, unit: lights the day side
    QVector3D eye;         // world, for the specular glint
    bool cullBack = true;  // the far half of a closed mesh never shows
};

// Text tied to a point of the scene, already projected to the widget.
struct Label {
    QPointF anchor;  // logical pixels
    QPointF offset;  // from the anchor to the text's baseline start
    QString text;
    QColor color;
    // A marker drawn at the anchor, this many pixels round, that no label covers.
    double markRadius = 0;
};

// A circle on the widget (the Earth's outline).
struct Disc {
    QPointF centre;
    double radius = 0;
};

// A titled box of lines (the data display).
struct TextBox {
    QString title;
    QColor titleColor;
    QStringList lines;
    // The same with short names, for small windows; may be empty.
    QString briefTitle;
    QStringList briefLines;
    // Each line's colour, where it differs from the usual; may be short or empty.
    QList<QColor> lineColors = {}, briefLineColors = {};
    // A large last line ("Matched"), in every size.
    QString banner = {};
    QColor bannerColor = {};
};

struct Scene {
    QSize size;  // logical pixels
    QColor background = QColor::fromRgbF(0.005f, 0.008f, 0.02f);
    QMatrix4x4 viewProjection;  // world (GPU units) -> clip
    QVector3D eye;              // world: lines and markers the Earth hides from it are not drawn

    // Stars at infinity, with only the camera's turn applied; none when unset.
    std::optional<QMatrix4x4> sky;
    std::vector<MeshDraw> meshes;
    std::vector<float> vertices;  // x, y, z in world units, for the draws
    std::vector<Draw> draws;      // in order, after the meshes
    // The first draws, up to the selected satellite's orbit: what an edit of
    // that satellite leaves as it was. They are kept with the sky and the
    // Earth between frames, and so hide nothing drawn after them.
    int backdropDraws = 0;

    std::vector<Label> labels;  // placed in order
    // What labels keep off where they can: the drawn lines on the widget (the
    // grid aside, which labels may cover) and the Earth's disc.
    std::vector<QLineF> strokes;
    std::optional<Disc> earthDisc;
    std::optional<TextBox> dataDisplay;  // top left
    std::optional<TextBox> costBox;      // a transfer's burns and time, bottom right
    std::optional<TextBox> matchBox;     // the selected satellite against a target, top right
    QStringList annotations;             // top right
    QStringList briefAnnotations;        // the same, shorter, for small windows
    // Why the view does not show the newest state ("Not shown: eccentricity
    // 1.5 must be below 1"), top left above the rest; empty when it does.
    QString refusal;
    // Aids that the orbit leaves undefined, in words ("Line of Nodes:
    // undefined (i = 0)"), bottom left.
    QStringList notes;
    QStringList briefNotes;  // without the reasons, for small windows
};

} // namespace zep::view
