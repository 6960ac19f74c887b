#include "ini_settings.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QStringList>
#include <cerrno>

#include "platform/qt/qt_text.h"
#include "platform/runtime_error.h"

namespace pelandra::qt {

namespace {

// QSettings reads an unquoted comma as a list separator and drops the blanks around it
// (qsettings.cpp, iniUnescapedStringList). A path such as "/media/Cars, 1950s,60s/" must
// come back as written, so the separators are recovered from the file's own line.
QString joinAsWritten(const QStringList& items, const QString& file, const QString& key) {
    QFile raw(file);
    if (raw.open(QIODevice::ReadOnly)) {
        QString pattern = QStringLiteral("^[ \\t]*") + QRegularExpression::escape(key) +
                          QStringLiteral("[ \\t]*=[ \\t]*");
        for (qsizetype i = 0; i < items.size(); ++i) {
            if (i > 0) pattern += QStringLiteral("([ \\t]*,[ \\t]*)");
            pattern += QRegularExpression::escape(items[i]);
        }
        pattern += QStringLiteral("[ \\t\\r]*$");
        const QRegularExpression line(pattern, QRegularExpression::MultilineOption);
        const auto match = line.match(QString::fromUtf8(raw.readAll()));
        if (match.hasMatch()) {
            QString text = items.front();
            for (qsizetype i = 1; i < items.size(); ++i) text += match.captured(int(i)) + items[i];
            return text;
        }
    }
    return items.join(QStringLiteral(", "));  // quoted or escaped items: Qt's own form
}

QString textOf(const QVariant& value, const QString& file, const QString& key) {
    if (value.typeId() == QMetaType::QStringList) {
        return joinAsWritten(value.toStringList(), file, key);
    }
    return value.toString();
}

RuntimeError writeError(const QString& file) {
    const QString folder = QFileInfo(file).absolutePath();
    const QByteArray existing = QFile::encodeName(QDir(folder).exists() ? folder : file);
    const bool denied = ::access(existing.constData(), W_OK) != 0 &&
                        (errno == EACCES || errno == EROFS || errno == EPERM);
    RuntimeError error = denied ? RuntimeError::permissionDenied() : RuntimeError::pathFileAccess();
    error.description += u" (cannot write " + fromQString(QDir::toNativeSeparators(file)) + u")";
    return error;
}

}  // namespace

QString IniSettings::defaultFile() {
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!base.startsWith(u'/')) base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/pelandra-omnarium/screensaver.ini");
}

Text IniSettings::read(TextView section, TextView key, TextView fallback) const {
    QSettings store(file_, QSettings::IniFormat);
    store.beginGroup(toQString(section));
    const QString name = toQString(key);
    const QVariant value = store.value(name);
    if (!value.isValid()) return Text(fallback);
    return fromQString(textOf(value, file_, name));
}

void IniSettings::write(TextView section, TextView key, TextView value) const {
    QSettings store(file_, QSettings::IniFormat);
    store.beginGroup(toQString(section));
    // Rewriting the file must not turn a hand-written text with commas into a list.
    for (const QString& other : store.childKeys()) {
        const QVariant current = store.value(other);
        if (current.typeId() == QMetaType::QStringList) {
            store.setValue(other, textOf(current, file_, other));
        }
    }
    store.setValue(toQString(key), toQString(value));
    store.endGroup();
    store.sync();
    if (store.status() != QSettings::NoError) throw writeError(file_);
}

}  // namespace pelandra::qt
