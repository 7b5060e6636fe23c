#pragma once

// What the tests of the insert run ask of the recording office bridge: a suite that refuses
// some pictures, the document's shape read from the commands it got, and a whole run
// without a window.
#include "builder/InsertRoutines.h"
#include "builder/InsertRun.h"
#include "core/AlbumLayout.h"
#include "tests/support/FakeClock.h"
#include "tests/support/ListInsertHost.h"
#include "tests/support/RecordingOfficeBridge.h"

#include <QRegularExpression>

#include <optional>

// The text of a command's first argument: a picture's URL, a caption.
inline QString firstText(const RecordingOfficeBridge::Dispatch& dispatch) {
    return std::get<QString>(dispatch.args.value(0).value);
}

// The first texts of every such command, in order.
inline QStringList firstTexts(const RecordingOfficeBridge& office, const QString& command) {
    QStringList texts;
    for (const auto& dispatch : office.dispatchesOf(command)) {
        texts.append(firstText(dispatch));
    }
    return texts;
}

// Answers as the real suite does, FAILURE for the breaks and anchoring that it carries out
// all the same, and refuses every picture whose URL matches `refused`; the pictures it takes
// get `taken`.
inline std::function<DispatchState(const RecordingOfficeBridge::Dispatch&)>
refusePictures(const QString& refused, DispatchState taken = DispatchState::Success) {
    return [pattern = QRegularExpression(refused), taken](const auto& dispatch) {
        if (dispatch.command == QLatin1String(".uno:InsertGraphic")) {
            return firstText(dispatch).contains(pattern) ? DispatchState::Failure : taken;
        }
        return dispatch.command == QLatin1String(".uno:InsertBreak") ||
                       dispatch.command == QLatin1String(".uno:SetAnchorToChar")
                   ? DispatchState::Failure
                   : DispatchState::Success;
    };
}

// "Name type value" for each argument, the type as the suite receives it.
inline QStringList describe(const OfficeArguments& args) {
    QStringList list;
    for (const auto& argument : args) {
        list.append(describeArgument(argument));
    }
    return list;
}

// The commands that shape the document, shortened: "P" a picture that went in, "x" one whose
// URL matches `refused`; the rest by name without ".uno:". Anchoring and escapes are left out.
inline QString documentShape(const RecordingOfficeBridge& office, const QString& refused) {
    QStringList parts;
    for (const auto& dispatch : office.dispatches) {
        const QString command = dispatch.command.mid(5);
        if (command == QLatin1String("InsertGraphic")) {
            parts.append(firstText(dispatch).contains(QRegularExpression(refused))
                             ? QStringLiteral("x")
                             : QStringLiteral("P"));
        } else if (command != QLatin1String("SetAnchorToChar") &&
                   command != QLatin1String("Escape")) {
            parts.append(command);
        }
    }
    return parts.join(QLatin1Char(' '));
}

// An insert run without a window: the pictures of a list, a suite that refuses those whose
// name holds "bad", a fake clock unless the test sets another.
struct RecordedRun {
    RecordingOfficeBridge office;
    FakeClock fakeClock;
    Clock* clock = &fakeClock;
    ListInsertHost host;
    bool completed = false;

    explicit RecordedRun(const QStringList& pictures) : host(pictures) {
        office.answer = refusePictures(QStringLiteral("bad"));
    }

    void run(double pauseSeconds = 0, const std::optional<AlbumLayout>& layout = {}) {
        InsertRun insert(host, &office, *clock);
        insert.setPauseSeconds(pauseSeconds);
        if (layout) {
            insert.setLayout(*layout);
        }
        insert.run();
        completed = insert.completed();
    }

    QString shape() const { return documentShape(office, QStringLiteral("bad")); }
    int callsOf(const QString& call) const { return int(office.calls.filter(call).size()); }
    // The first argument of each such command, described.
    QStringList textsOf(const QString& command) const {
        QStringList texts;
        for (const auto& dispatch : office.dispatchesOf(command)) {
            texts.append(describeArgument(dispatch.args.value(0)));
        }
        return texts;
    }
};
