#include "platform/linux/session/watch_main.h"

#include <sys/prctl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "platform/linux/session/desktop_blank.h"
#include "platform/linux/session/desktop_lock.h"
#include "platform/linux/session/idle_source.h"
#include "platform/linux/session/other_savers.h"
#include "platform/linux/session/program_path.h"
#include "platform/linux/settings_file/ini_settings.h"
#include "watch/watcher.h"

namespace pelandra::qt {

namespace {

void say(const std::string& line) {
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
}

// The watcher's port onto this system: the idle source, the settings file, the desktop's
// blank and lock, the show as a child process of this same program.
class SessionPort : public watch::WatchPort {
  public:
    SessionPort(IdleSource& source, const QString& invokedAs)
        : source_(source), program_(invokedAs), desktopLock_([this](bool locked) {
              if (!locked && watcher_ != nullptr) watcher_->desktopUnlocked();
          }) {
        freshWait_.setSingleShot(true);
        QObject::connect(&freshWait_, &QTimer::timeout, [this] { request(); });
        // Tests shorten a minute to this many milliseconds.
        const int shortMinute = qEnvironmentVariableIntValue("PELANDRA_WATCH_MINUTE_MS");
        if (shortMinute > 0) minuteMs_ = uint32_t(shortMinute);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("XSCREENSAVER_WINDOW"));  // the ordinary show
        // Tokens that let the watcher's own start raise a window are not the show's.
        environment.remove(QStringLiteral("XDG_ACTIVATION_TOKEN"));
        environment.remove(QStringLiteral("DESKTOP_STARTUP_ID"));
        show_.setProcessEnvironment(environment);
        // The show ends with the watcher, however the watcher ends (a user's sway config
        // starts it with exec, and sway's end kills it).
        const pid_t watcher = getpid();
        show_.setChildProcessModifier([watcher] {
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            if (getppid() != watcher) _exit(1);  // gone already
        });
        show_.setProcessChannelMode(QProcess::ForwardedChannels);
        QObject::connect(&show_, &QProcess::finished, [this](int code, QProcess::ExitStatus how) {
            if (watcher_ != nullptr) watcher_->showEnded(how == QProcess::NormalExit ? code : -1);
        });
    }

    void attach(watch::Watcher& watcher) { watcher_ = &watcher; }

    Text minutesText() override {
        return IniSettings(IniSettings::defaultFile())
            .read(settings::kWatchSection, settings::kMinutesKey, u"");
    }

    std::optional<watch::DesktopBlank> desktopBlank() override { return qt::desktopBlank(); }

    bool desktopLocked() override { return desktopLock_.locked(); }

    void awaitIdle(int32_t minutes, bool fromNow) override {
        milliseconds_ = uint32_t(minutes) * minuteMs_;
        notBefore_ = QDeadlineTimer(fromNow ? qint64(milliseconds_) : 0);
        freshWait_.stop();
        request();
    }

    bool startShow() override {
        show_.start(program_.now(), {});
        return show_.waitForStarted();
    }

    void log(const std::string& line) override { say(line); }

  private:
    void request() {
        source_.awaitIdle(milliseconds_, [this] {
            // Sources that count idle time from the last input can fire at once when the
            // wait is to count from now: then the rest of the wait, and ask again.
            if (notBefore_.remainingTime() > kEarly) {
                freshWait_.start(int(notBefore_.remainingTime()));
            } else if (watcher_ != nullptr) {
                watcher_->idle();
            }
        });
    }

    static constexpr qint64 kEarly = 100;  // ms: a timer's slack, not an early fire

    IdleSource& source_;
    ProgramPath program_;
    QProcess show_;
    DesktopLock desktopLock_;
    QTimer freshWait_;
    QDeadlineTimer notBefore_;
    uint32_t milliseconds_ = 0;
    watch::Watcher* watcher_ = nullptr;
    uint32_t minuteMs_ = 60'000;
};

std::unique_ptr<IdleSource> firstIdleSource() {
    auto ended = [] {
        say("pelandra-saver: the session has ended");
        QCoreApplication::exit(0);
    };
    if (auto source = waylandIdle(ended)) return source;
    if (auto source = mutterIdle(ended)) return source;
    return x11Idle(ended);
}

}  // namespace

std::optional<int> watchMain(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "--watch") != 0) return std::nullopt;
    QCoreApplication app(argc, argv);
    if (const char* other = otherSaverRunning()) {
        say(std::string("pelandra-saver: ") + other +
            " runs for this session and starts the screen saver; not watching");
        return 0;
    }
    const std::unique_ptr<IdleSource> source = firstIdleSource();
    if (!source) {
        say("pelandra-saver: this session tells no idle time (no Wayland idle protocol, "
            "no GNOME idle monitor, no X server); not watching");
        return 1;
    }
    SessionPort port(*source, QString::fromLocal8Bit(argv[0]));
    watch::Watcher watcher(port);
    port.attach(watcher);
    say(std::string("pelandra-saver: watching for idle through ") + source->name());
    watcher.start();
    return QCoreApplication::exec();
}

}  // namespace pelandra::qt
