#include "ini_settings.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>

#include "platform/linux/files/file_errors.h"
#include "platform/linux/files/file_name_text.h"
#include "platform/linux/files/user_folders.h"
#include "platform/linux/settings_file/ini_scan.h"
#include "platform/qt/qt_text.h"
#include "platform/runtime_error.h"

namespace pelandra::qt {

namespace {

RuntimeError writeError(const QString& file) {
    const QString folder = QFileInfo(file).absolutePath();
    const QByteArray existing = QFile::encodeName(QDir(folder).exists() ? folder : file);
    const bool denied = ::access(existing.constData(), W_OK) != 0 &&
                        fileError(errno).number == RuntimeError::permissionDenied().number;
    RuntimeError error = denied ? RuntimeError::permissionDenied() : RuntimeError::pathFileAccess();
    error.description += u" (cannot write " + fromQString(QDir::toNativeSeparators(file)) + u")";
    return error;
}

QByteArray contentOf(const QString& file) {
    QFile raw(file);
    return raw.open(QIODevice::ReadOnly) ? raw.readAll() : QByteArray();
}

}  // namespace

QString IniSettings::defaultFile() {
    const std::string file =
        xdgFolder("XDG_CONFIG_HOME", ".config") + "/" + kProgramFolder + "/screensaver.ini";
    return QFile::decodeName(QByteArray::fromStdString(file));
}

Text IniSettings::read(TextView section, TextView key, TextView fallback) const {
    const QByteArray text = contentOf(file_);
    const auto value = findIniValue(std::string_view(text.constData(), size_t(text.size())),
                                    toUtf8(section), toUtf8(key));
    return value ? fromFileName(*value) : Text(fallback);
}

void IniSettings::write(TextView section, TextView key, TextView value) const {
    QFile existing(file_);
    QByteArray text;
    if (existing.exists()) {
        if (!existing.open(QIODevice::ReadOnly)) throw writeError(file_);
        text = existing.readAll();
        existing.close();
    }
    const std::string changed =
        withIniValue(std::string_view(text.constData(), size_t(text.size())), toUtf8(section),
                     toUtf8(key), toFileName(value));
    QDir().mkpath(QFileInfo(file_).absolutePath());
    QSaveFile out(file_);
    // Unbuffered: a buffered write that fails only at commit would still be renamed over.
    const bool written =
        out.open(QIODevice::WriteOnly | QIODevice::Unbuffered) &&
        out.write(changed.data(), qint64(changed.size())) == qint64(changed.size());
    if (!written || !out.commit()) throw writeError(file_);
}

}  // namespace pelandra::qt
