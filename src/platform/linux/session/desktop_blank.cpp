#include "platform/linux/session/desktop_blank.h"

#include <gio/gio.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <algorithm>
#include <cstdlib>

#include "platform/linux/files/user_folders.h"
#include "platform/linux/settings_file/ini_settings.h"
#include "settings/number_text.h"

namespace pelandra::qt {

namespace {

int32_t minutesHeld(double minutes) {
    return int32_t(
        std::clamp(minutes, double(settings::kFewestMinutes), double(settings::kMostMinutes)));
}

// A GNOME-style delay in seconds (0 = never) from GSettings; nothing where the schema or its
// key is not installed, which GSettings would otherwise treat as a fatal error.
std::optional<int32_t> gsettingsMinutes(const char* schemaId, const char* key) {
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    if (source == nullptr) return std::nullopt;
    GSettingsSchema* schema = g_settings_schema_source_lookup(source, schemaId, TRUE);
    if (schema == nullptr) return std::nullopt;
    std::optional<int32_t> minutes;
    if (g_settings_schema_has_key(schema, key)) {
        GSettingsSchemaKey* found = g_settings_schema_get_key(schema, key);
        if (g_variant_type_equal(g_settings_schema_key_get_value_type(found),
                                 G_VARIANT_TYPE_UINT32)) {
            GSettings* settings = g_settings_new_full(schema, nullptr, nullptr);
            const guint seconds = g_settings_get_uint(settings, key);
            g_object_unref(settings);
            if (seconds != 0) minutes = minutesHeld(seconds / 60);
        }
        g_settings_schema_key_unref(found);
    }
    g_settings_schema_unref(schema);
    return minutes;
}

bool serviceRunning(const QDBusConnection& bus, const char* name) {
    return bus.interface()->isServiceRegistered(QString::fromLatin1(name));
}

bool kdeSession() {
    const QStringList desktops = qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(u':');
    return desktops.contains(QStringLiteral("KDE"));
}

// KConfig's words for true.
bool truthOf(const Text& text) {
    const QString word = QString::fromStdU16String(text).trimmed().toLower();
    return word == u"true" || word == u"on" || word == u"yes" || word == u"1";
}

}  // namespace

std::vector<std::string> configFolders() {
    std::vector<std::string> folders{xdgFolder("XDG_CONFIG_HOME", ".config")};
    const QString dirs = qEnvironmentVariable("XDG_CONFIG_DIRS", QStringLiteral("/etc/xdg"));
    for (const QString& dir : dirs.split(u':', Qt::SkipEmptyParts)) {
        if (dir.startsWith(u'/')) folders.push_back(dir.toStdString());
    }
    return folders;
}

std::optional<int32_t> screenLockerMinutes(const std::vector<std::string>& configFolders) {
    std::optional<Text> autolock;
    std::optional<Text> timeout;
    for (const std::string& folder : configFolders) {
        const IniSettings file(QString::fromStdString(folder + "/kscreenlockerrc"));
        const Text none = u"\n";  // no value can hold a line break
        if (!autolock) {
            if (Text value = file.read(u"Daemon", u"Autolock", none); value != none) {
                autolock = std::move(value);
            }
        }
        if (!timeout) {
            if (Text value = file.read(u"Daemon", u"Timeout", none); value != none) {
                timeout = std::move(value);
            }
        }
    }
    if (autolock && !truthOf(*autolock)) return std::nullopt;
    if (!timeout) return 5;
    const auto minutes = textToNumber(*timeout);
    if (!minutes || *minutes < 1) return std::nullopt;  // unreadable, or locks at once
    return minutesHeld(*minutes);
}

std::optional<watch::DesktopBlank> desktopBlank() {
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return std::nullopt;
    std::optional<int32_t> minutes;
    if (serviceRunning(bus, "org.gnome.Shell.ScreenShield") ||
        serviceRunning(bus, "org.gnome.ScreenSaver")) {
        minutes = gsettingsMinutes("org.gnome.desktop.session", "idle-delay");
        if (minutes)
            return watch::DesktopBlank{*minutes, "GNOME's org.gnome.desktop.session idle-delay"};
    } else if (serviceRunning(bus, "org.cinnamon.ScreenSaver")) {
        minutes = gsettingsMinutes("org.cinnamon.desktop.session", "idle-delay");
        if (minutes)
            return watch::DesktopBlank{*minutes,
                                       "Cinnamon's org.cinnamon.desktop.session idle-delay"};
    } else if (serviceRunning(bus, "org.kde.screensaver") || kdeSession()) {
        minutes = screenLockerMinutes(configFolders());
        if (minutes) {
            return watch::DesktopBlank{*minutes, "the screen locker's Timeout in kscreenlockerrc"};
        }
    }
    return std::nullopt;
}

}  // namespace pelandra::qt
