#pragma once
// Where the command thread publishes the scenario and the GUI thread reads it.

#include "standin/model/snapshot.h"

#include <QObject>

#include <atomic>
#include <mutex>

namespace zep {

class ScenarioStore : public QObject {
    Q_OBJECT
public:
    explicit ScenarioStore(QObject *parent = nullptr)
        : QObject(parent), current_(std::make_shared<const Snapshot>())
    {
    }

    // Any thread.
    SnapshotPtr snapshot() const
    {
        std::lock_guard lock(mutex_);
        return current_;
    }

    // Any thread. Emits changed() at most once until the reader calls
    // takeChange(), so a burst of commands costs the view one repaint.
    void publish(SnapshotPtr next)
    {
        {
            std::lock_guard lock(mutex_);
            current_ = std::move(next);
        }
        if (!pending_.exchange(true))
            emit changed();
    }

    // Any thread. Writers take turns: edit() gets a private copy of the current
    // snapshot and returns whether to publish it (with the next revision).
    template <typename Edit>
    bool modify(Edit &&edit)
    {
        std::lock_guard writer(writerMutex_);
        auto next = std::make_shared<Snapshot>(*snapshot());
        if (!edit(*next))
            return false;
        ++next->revision;
        publish(std::move(next));
        return true;
    }

    // GUI thread, before reading the snapshot for a frame.
    SnapshotPtr takeChange()
    {
        pending_ = false;
        return snapshot();
    }

signals:
    void changed();

private:
    std::mutex writerMutex_;   // serialises modify(); never held by readers
    mutable std::mutex mutex_;
    SnapshotPtr current_;
    std::atomic_bool pending_{false};
};

} // namespace zep
