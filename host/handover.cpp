#include "host/handover.h"

namespace velmora::host {

namespace {
class NoKeys : public KeySender {
public:
    bool TypeKeys(const QString &) override { return false; }
};
} // namespace

std::unique_ptr<KeySender> MakeKeySender(HostLink &) { return std::make_unique<NoKeys>(); }

void HandOverToHost(HostLink &, KeySender &) {}

} // namespace velmora::host
