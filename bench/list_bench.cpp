// How the picture list of the shown main window copes with 100,000 entries: appends one at
// a time as intake makes them (yielding to the event loop now and then, as the folder scan
// does once per folder: every time, and through intake's throttle), removals of the current entry,
// moves, and "Clear List". Prints each phase's time, the longest the window went without handling
// events, and the peak memory.
//
//     list_bench [entries] [appends per yield]
#include "app/Form1.h"
#include "app/QtUiServices.h"
#include "core/Clock.h"
#include "core/ErrorReport.h"
#include "core/RandomSource.h"
#include "intake/PosixFileSystem.h"
#include "intake/ThrottledYield.h"
#include "piclist/PictureListModel.h"
#include "piclist/PictureListView.h"
#include "tests/support/Form1Harness.h"
#include "tests/support/RecordingOfficeBridge.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

// Start-up draws nothing that opens a page.
class FixedRandom : public RandomSource {
public:
    void seedFromTime() override {}
    double next() override { return 0.5; }
};

// A failure in the benchmark is printed, never shown in a box that would wait for a user.
class PrintingReporter : public ErrorReporter {
public:
    void ShowErrorReport(const QString& location, int line, const QString& description) override {
        std::fprintf(stderr, "error report: %s %sat line %d\n", qPrintable(description),
                     qPrintable(location), line);
        ++failures;
    }
    int failures = 0;
};

// The time of a phase and the longest single step in it.
struct Phase {
    QElapsedTimer total;
    qint64 longestNs = 0;

    template <typename Step> void measure(Step step) {
        QElapsedTimer one;
        one.start();
        step();
        longestNs = std::max(longestNs, one.nsecsElapsed());
    }
};

double ms(qint64 ns) {
    return static_cast<double>(ns) / 1e6;
}

void printPhase(const char* name, int steps, const Phase& phase) {
    const qint64 totalNs = phase.total.nsecsElapsed();
    std::printf("%-44s %8d  %10.1f ms  %8.2f us/step  longest step %7.2f ms\n", name, steps,
                ms(totalNs), static_cast<double>(totalNs) / 1e3 / std::max(steps, 1),
                ms(phase.longestNs));
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // The user's own settings stay out of the measurement.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QApplication app(argc, argv);
    const int entries = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int appendsPerYield = argc > 2 ? std::max(1, std::atoi(argv[2])) : 100;

    QtUiServices ui;
    PrintingReporter reporter;
    SystemClock clock;
    FixedRandom random;
    RecordingOfficeBridge office;
    PosixFileSystem disk;
    Form1 form(Form1Services{ui, reporter, clock, random, &disk, &office,
                             QCoreApplication::applicationDirPath()});
    if (!form.Form_Load()) {
        std::fprintf(stderr, "start-up ended the program\n");
        return 1;
    }
    form.show();
    QCoreApplication::processEvents();
    PictureListModel& list = form.pictureList();
    PictureListView* view = Form1Controls::list(form);

    std::printf("list_bench: %d entries, a yield every %d appends, platform %s\n", entries,
                appendsPerYield, qPrintable(QGuiApplication::platformName()));
    std::printf("%-44s %8s  %13s  %16s\n", "phase", "steps", "total", "per step");

    // Appends, as intake makes them: one entry at a time, with a chance to yield to the event
    // loop every `appendsPerYield` appends (as the folder scan has once per folder). First with
    // every chance taken, then through the throttle that intake yields through (at most once
    // every 10 ms); the list of the second run stays for the phases below.
    auto appendAll = [&](const char* name, bool throttle) {
        Phase appends;
        Phase yields;
        int yieldsRun = 0;
        const auto doEvents = [&] {
            ++yieldsRun;
            Form1::doEvents();
        };
        ThrottledYield throttled(doEvents);
        const auto chance = [&] {
            if (throttle) {
                throttled();
            } else {
                doEvents();
            }
        };
        appends.total.start();
        for (int i = 1; i <= entries; ++i) {
            const QString path =
                QStringLiteral("/home/user/Pictures/holiday %1/IMG_%2.JPG").arg(i / 100).arg(i);
            appends.measure([&] { list.append(path); });
            if (i % appendsPerYield == 0) {
                yields.measure(chance);
            }
        }
        yields.measure(doEvents);
        printPhase(name, entries, appends);
        std::printf("%-44s %8d  longest yield (layout and paint) %7.2f ms\n",
                    "  of which yields to the event loop", yieldsRun, ms(yields.longestNs));
        if (view->model()->rowCount() != list.count()) {
            std::fprintf(stderr, "the view shows %d rows of %d\n", view->model()->rowCount(),
                         list.count());
            ++reporter.failures;
        }
    };
    appendAll("append, every yield taken", false);
    list.clear();
    Form1::doEvents();
    appendAll("append, yields throttled as intake does", true);

    // Painting the full list and scrolling through it.
    {
        Phase paint;
        paint.total.start();
        paint.measure([&] { view->viewport()->repaint(); });
        paint.measure([&] {
            view->scrollTo(list.index(list.count() - 1, 0));
            view->viewport()->repaint();
        });
        paint.measure([&] {
            view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum() / 2);
            view->viewport()->repaint();
        });
        printPhase("paint at top, end and middle", 3, paint);
    }

    // Removals of the current entry (the Delete key), spread over the list, each followed
    // by the event processing that a key press gets.
    const int removals = std::min(1000, list.count());
    {
        Phase remove;
        remove.total.start();
        for (int i = 0; i < removals; ++i) {
            const int position =
                1 + static_cast<int>((static_cast<qint64>(i) * 7919) % std::max(list.count(), 1));
            remove.measure([&] {
                view->setCurrentIndex(list.index(position - 1, 0));
                form.ListView1_KeyDown(Qt::Key_Delete);
                Form1::doEvents();
            });
        }
        printPhase("remove current entry (Delete)", removals, remove);
    }

    // Move Down and Move Up on an entry in the middle.
    const int moves = std::min(1000, list.count() / 2);
    {
        Phase move;
        move.total.start();
        view->setCurrentIndex(list.index(list.count() / 2, 0));
        for (int i = 0; i < moves; ++i) {
            move.measure([&] {
                if (i % 2 == 0) {
                    form.PushButton6_Click();
                } else {
                    form.PushButton5_Click();
                }
                Form1::doEvents();
            });
        }
        printPhase("Move Down / Move Up", moves, move);
    }

    // "Clear List".
    {
        Phase clear;
        clear.total.start();
        clear.measure([&] {
            form.PushButton10_Click();
            Form1::doEvents();
        });
        printPhase("Clear List", 1, clear);
    }

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("entries left %d, error reports %d, peak RSS %.1f MiB\n", list.count(),
                reporter.failures, static_cast<double>(usage.ru_maxrss) / 1024.0);
    return list.count() == 0 && reporter.failures == 0 ? 0 : 1;
}
