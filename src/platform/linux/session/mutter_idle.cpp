// Idle from GNOME's compositor on the session bus, held back while the session manager
// says idling is inhibited (a video playing).
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusReply>
#include <QDBusServiceWatcher>

#include "platform/linux/session/idle_source.h"

namespace pelandra::qt {

namespace {

const QString kMonitorService = QStringLiteral("org.gnome.Mutter.IdleMonitor");
const QString kMonitorPath = QStringLiteral("/org/gnome/Mutter/IdleMonitor/Core");
const QString kSessionService = QStringLiteral("org.gnome.SessionManager");
constexpr uint kInhibitIdle = 8;  // the session manager's flag for "do not idle"

class MutterIdle : public QObject, public IdleSource {
    Q_OBJECT

  public:
    explicit MutterIdle(std::function<void()> sessionEnded)
        : bus_(QDBusConnection::sessionBus()),
          monitor_(kMonitorService, kMonitorPath, kMonitorService, bus_),
          watcher_(kMonitorService, bus_, QDBusServiceWatcher::WatchForUnregistration) {
        bus_.connect(kMonitorService, kMonitorPath, kMonitorService, QStringLiteral("WatchFired"),
                     this, SLOT(watchFired(uint)));
        // An inhibitor let go while the user is still idle: the watch fired already.
        bus_.connect(kSessionService, QStringLiteral("/org/gnome/SessionManager"), kSessionService,
                     QStringLiteral("InhibitorRemoved"), this, SLOT(inhibitorRemoved()));
        QObject::connect(&watcher_, &QDBusServiceWatcher::serviceUnregistered,
                         [ended = std::move(sessionEnded)] { ended(); });
    }

    void awaitIdle(uint32_t milliseconds, std::function<void()> idle) override {
        if (watch_ != 0) monitor_.call(QStringLiteral("RemoveWatch"), watch_);
        idle_ = std::move(idle);
        milliseconds_ = milliseconds;
        const QDBusReply<uint> added =
            monitor_.call(QStringLiteral("AddIdleWatch"), quint64(milliseconds));
        watch_ = added.isValid() ? added.value() : 0;
    }

    const char* name() const override { return "org.gnome.Mutter.IdleMonitor"; }

  private slots:
    void watchFired(uint watch) {
        if (watch == watch_ && watch_ != 0 && !inhibited() && idle_) idle_();
    }

    void inhibitorRemoved() {
        if (watch_ == 0 || inhibited() || !idle_) return;
        const QDBusReply<quint64> idleTime = monitor_.call(QStringLiteral("GetIdletime"));
        if (idleTime.isValid() && idleTime.value() >= milliseconds_) idle_();
    }

  private:
    bool inhibited() {
        QDBusInterface session(kSessionService, QStringLiteral("/org/gnome/SessionManager"),
                               kSessionService, bus_);
        const QDBusReply<bool> answer = session.call(QStringLiteral("IsInhibited"), kInhibitIdle);
        return answer.isValid() && answer.value();  // no session manager: nothing inhibits
    }

    QDBusConnection bus_;
    QDBusInterface monitor_;
    QDBusServiceWatcher watcher_;
    std::function<void()> idle_;
    uint32_t milliseconds_ = 0;
    uint watch_ = 0;
};

}  // namespace

std::unique_ptr<IdleSource> mutterIdle(std::function<void()> sessionEnded) {
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()->isServiceRegistered(kMonitorService)) {
        return nullptr;
    }
    return std::make_unique<MutterIdle>(std::move(sessionEnded));
}

}  // namespace pelandra::qt

#include "mutter_idle.moc"
