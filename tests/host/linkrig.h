#pragma once
// A link connected to the recording fake, with the connection's traces cleared;
// `running` chooses attach or create.
#include "host/hostlink.h"
#include "tests/support/fakehost.h"

#include <QtTest>

struct LinkRig {
    explicit LinkRig(bool running = true)
    {
        fake.running = running;
        QVERIFY(link.ConnectToHost());
        fake.log.clear();
        fake.commands.clear();
    }
    velmora::testing::FakeHost fake;
    velmora::testing::RecordingNotice notice;
    velmora::host::HostLink link{fake, notice};
};
