#include "script/js/EngineStack.h"

#include <QJSEngine>
#include <QRegularExpression>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <mutex>
#include <semaphore.h>

// Exported by QtQml for debuggers: the engine's current stack in GDB/MI
// form, frame={level="0",func="f",file="...",line="3",language="js"},...
extern "C" char *qt_v4StackTraceForEngine(void *executionEngine);

namespace script {

namespace {

// One hold at a time, process-wide: the handler has no other way to find
// its semaphores.
enum class Hold { Idle, Asked, Held };
std::atomic<Hold> hold{Hold::Idle};
sem_t held, released;
std::mutex oneAtATime;

int holdSignal()
{
    return SIGRTMIN + 5;
}

// Runs on the engine's thread: waits there until the stack has been read.
// Only async-signal-safe calls.
void onHoldSignal(int)
{
    const int savedErrno = errno;
    Hold asked = Hold::Asked;
    if (hold.compare_exchange_strong(asked, Hold::Held)) {
        sem_post(&held);
        while (sem_wait(&released) != 0 && errno == EINTR) {
        }
    }
    errno = savedErrno;
}

void installHandler()
{
    static std::once_flag once;
    std::call_once(once, [] {
        sem_init(&held, 0, 0);
        sem_init(&released, 0, 0);
        struct sigaction action = {};
        action.sa_handler = onHoldSignal;
        action.sa_flags = SA_RESTART;
        sigemptyset(&action.sa_mask);
        sigaction(holdSignal(), &action, nullptr);
    });
}

bool waitHeld(int ms)
{
    timespec until;
    clock_gettime(CLOCK_REALTIME, &until);
    until.tv_nsec += long(ms) * 1000000L;
    until.tv_sec += until.tv_nsec / 1000000000L;
    until.tv_nsec %= 1000000000L;
    while (sem_timedwait(&held, &until) != 0) {
        if (errno != EINTR)
            return false;
    }
    return true;
}

// frame={...,func="f",file="script3",line="12",...} as f@script3:12 lines.
QString errorStackForm(const QString &frames)
{
    static const QRegularExpression frame(QStringLiteral(
        R"re(func="((?:[^"\\]|\\.)*)",file="((?:[^"\\]|\\.)*)",fullname="(?:[^"\\]|\\.)*",line="(\d+)")re"));
    QStringList lines;
    for (auto it = frame.globalMatch(frames); it.hasNext();) {
        const auto m = it.next();
        lines << QStringLiteral("%1@%2:%3").arg(m.captured(1), m.captured(2), m.captured(3));
    }
    return lines.join(u'\n');
}

}  // namespace

QString stackOfRunningEngine(QJSEngine &engine, pthread_t engineThread)
{
    const std::lock_guard lock(oneAtATime);
    installHandler();
    hold.store(Hold::Asked);
    if (pthread_kill(engineThread, holdSignal()) != 0) {
        hold.store(Hold::Idle);
        return {};
    }
    if (!waitHeld(200)) {
        // Not held in time: withdraw the request, unless the handler took it
        // just now, in which case it waits for its release as usual.
        Hold asked = Hold::Asked;
        if (hold.compare_exchange_strong(asked, Hold::Idle))
            return {};
        waitHeld(1000);
    }
    char *raw = qt_v4StackTraceForEngine(engine.handle());
    const QString frames = QString::fromUtf8(raw);
    delete[] raw;
    hold.store(Hold::Idle);
    sem_post(&released);
    return errorStackForm(frames);
}

}  // namespace script
