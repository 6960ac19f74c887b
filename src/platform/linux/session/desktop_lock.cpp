#include "platform/linux/session/desktop_lock.h"

#include <unistd.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>

namespace pelandra::qt {

namespace {

struct ScreenSaverService {
    const char* name;
    const char* path;
};

// Each sends ActiveChanged(bool) and answers GetActive. On GNOME the freedesktop name
// belongs to a settings-daemon proxy whose GetActive fails: that answer is no answer.
constexpr ScreenSaverService kScreenSavers[] = {
    {"org.gnome.ScreenSaver", "/org/gnome/ScreenSaver"},
    {"org.freedesktop.ScreenSaver", "/ScreenSaver"},  // KDE's screen locker
    {"org.cinnamon.ScreenSaver", "/org/cinnamon/ScreenSaver"},
};

const QString kLogin = QStringLiteral("org.freedesktop.login1");
const QString kSessionInterface = QStringLiteral("org.freedesktop.login1.Session");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kLockedHint = QStringLiteral("LockedHint");

// A call that never starts a service only to ask it.
QDBusMessage callOf(const QString& service, const QString& path, const QString& interface,
                    const QString& method, const QVariantList& arguments = {}) {
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, method);
    call.setArguments(arguments);
    call.setAutoStartService(false);
    return call;
}

}  // namespace

// What one service says, kept until it says otherwise.
class LockFlag : public QObject {
    Q_OBJECT

  public:
    explicit LockFlag(std::function<void()> changed) : changed_(std::move(changed)) {}

    bool on() const { return on_; }

    // A screen saver service: its signal, then its present state.
    void followScreenSaver(QDBusConnection bus, const ScreenSaverService& service) {
        const QString name = QString::fromLatin1(service.name);
        // Any path: KDE's locker sends it on two.
        bus.connect(name, QString(), name, QStringLiteral("ActiveChanged"), this,
                    SLOT(activeChanged(bool)));
        ask(bus,
            callOf(name, QString::fromLatin1(service.path), name, QStringLiteral("GetActive")));
    }

    // The program's own logind session: found by XDG_SESSION_ID, else by this process.
    void followLoginSession(QDBusConnection bus) {
        const QString manager = QStringLiteral("/org/freedesktop/login1");
        const QString managerInterface = QStringLiteral("org.freedesktop.login1.Manager");
        const QString id = qEnvironmentVariable("XDG_SESSION_ID");
        const QDBusMessage find =
            id.isEmpty()
                ? callOf(kLogin, manager, managerInterface, QStringLiteral("GetSessionByPID"),
                         {uint(getpid())})
                : callOf(kLogin, manager, managerInterface, QStringLiteral("GetSession"), {id});
        whenAnswered(bus.asyncCall(find), [this, bus](const QDBusMessage& reply) {
            const auto session = reply.arguments().value(0).value<QDBusObjectPath>();
            if (session.path().isEmpty()) return;
            sessionPath_ = session.path();
            QDBusConnection(bus).connect(
                kLogin, sessionPath_, kProperties, QStringLiteral("PropertiesChanged"), this,
                SLOT(propertiesChanged(QString, QVariantMap, QStringList)));
            askLockedHint(bus);
        });
    }

  private slots:
    void activeChanged(bool active) {
        heard_ = true;
        set(active);
    }

    void propertiesChanged(const QString& interface, const QVariantMap& changed,
                           const QStringList& invalidated) {
        if (interface != kSessionInterface) return;
        if (changed.contains(kLockedHint)) {
            heard_ = true;
            set(changed.value(kLockedHint).toBool());
        } else if (invalidated.contains(kLockedHint)) {
            askLockedHint(QDBusConnection::systemBus());
        }
    }

  private:
    void askLockedHint(const QDBusConnection& bus) {
        heard_ = false;
        ask(bus, callOf(kLogin, sessionPath_, kProperties, QStringLiteral("Get"),
                        {kSessionInterface, kLockedHint}));
    }

    // The present state, unless a signal has told a newer one meanwhile.
    void ask(QDBusConnection bus, const QDBusMessage& question) {
        whenAnswered(bus.asyncCall(question), [this](const QDBusMessage& reply) {
            if (heard_) return;
            QVariant value = reply.arguments().value(0);
            if (value.canConvert<QDBusVariant>()) value = value.value<QDBusVariant>().variant();
            if (value.typeId() == QMetaType::Bool) set(value.toBool());
        });
    }

    void whenAnswered(const QDBusPendingCall& call, std::function<void(const QDBusMessage&)> then) {
        auto* watcher = new QDBusPendingCallWatcher(call, this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this,
                [then = std::move(then)](QDBusPendingCallWatcher* answered) {
                    answered->deleteLater();
                    if (!answered->isError()) then(answered->reply());
                });
    }

    void set(bool on) {
        if (on == on_) return;
        on_ = on;
        changed_();
    }

    std::function<void()> changed_;
    QString sessionPath_;
    bool on_ = false;
    bool heard_ = false;
};

DesktopLock::DesktopLock(std::function<void(bool)> changed) : changed_(std::move(changed)) {
    const QDBusConnection session = QDBusConnection::sessionBus();
    if (session.isConnected()) {
        for (const ScreenSaverService& service : kScreenSavers) {
            flags_.push_back(std::make_unique<LockFlag>([this] { update(); }));
            flags_.back()->followScreenSaver(session, service);
        }
    }
    const QDBusConnection system = QDBusConnection::systemBus();
    if (system.isConnected()) {
        flags_.push_back(std::make_unique<LockFlag>([this] { update(); }));
        flags_.back()->followLoginSession(system);
    }
}

DesktopLock::~DesktopLock() = default;

void DesktopLock::update() {
    bool locked = false;
    for (const auto& flag : flags_) locked = locked || flag->on();
    if (locked == locked_) return;
    locked_ = locked;
    changed_(locked);
}

}  // namespace pelandra::qt

#include "desktop_lock.moc"
