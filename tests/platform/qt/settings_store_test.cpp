// The INI settings file: hand-written values read back exactly, writes that change one value
// only, failed writes.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>

#include "platform/linux/files/file_name_text.h"
#include "platform/linux/session/desktop_blank.h"
#include "platform/linux/settings_file/ini_settings.h"
#include "platform/runtime_error.h"

namespace pelandra::qt {
namespace {

QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

class SettingsStoreTest : public ::testing::Test {
  protected:
    QTemporaryDir folder;
    QString file = folder.filePath("pelandra-omnarium/screensaver.ini");
    IniSettings store{file};
};

struct HandWritten {
    const char* name;
    const char* line;  // the whole value line as a user would type it
    const char16_t* expected;
};

class HandWrittenTest : public SettingsStoreTest,
                        public ::testing::WithParamInterface<HandWritten> {};

TEST_P(HandWrittenTest, ReadsBackExactlyAsWritten) {
    QDir().mkpath(QFileInfo(file).path());
    writeFile(file, QByteArray("[Other]\nPelandrasDir=elsewhere\n\n[Settings]\n") +
                        GetParam().line + "\nInterval=5\n");
    EXPECT_EQ(store.read(u"Settings", u"PelandrasDir", u" "), GetParam().expected);
    EXPECT_EQ(store.read(u"Settings", u"Interval", u"2"), u"5");
}

INSTANTIATE_TEST_SUITE_P(
    Values, HandWrittenTest,
    ::testing::Values(
        HandWritten{"CdRom", "PelandrasDir=/media/cdrom/pyrnox/", u"/media/cdrom/pyrnox/"},
        HandWritten{"Blanks", "PelandrasDir=/home/me/My Photos/pyrnox/",
                    u"/home/me/My Photos/pyrnox/"},
        HandWritten{"BlanksAroundEquals", "PelandrasDir = /media/cd rom/pyrnox/",
                    u"/media/cd rom/pyrnox/"},
        HandWritten{"CommaAndBlank", "PelandrasDir=/media/Cars, 1950s/pyrnox/",
                    u"/media/Cars, 1950s/pyrnox/"},
        HandWritten{"MixedCommas", "PelandrasDir=/m/a,b , c ,d/pyrnox/", u"/m/a,b , c ,d/pyrnox/"},
        HandWritten{"TrailingComma", "PelandrasDir=/m/x,", u"/m/x,"},
        HandWritten{"NonAscii", "PelandrasDir=/mnt/Fahrzeugbilder/Größe, Ünïcode/pyrnox/",
                    u"/mnt/Fahrzeugbilder/Größe, Ünïcode/pyrnox/"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(SettingsStoreTest, AbsentValuesAndAbsentFilesGiveTheFallback) {
    EXPECT_EQ(store.read(u"Settings", u"Interval", u"2"), u"2");
    QDir().mkpath(QFileInfo(file).path());
    writeFile(file, "[Settings]\nPelandrasDir=/x/\n");
    EXPECT_EQ(store.read(u"Settings", u"Interval", u"2"), u"2");
    EXPECT_EQ(store.read(u"Other", u"PelandrasDir", u" "), u" ");
}

// Set changes the bytes of the Interval value and nothing else, whatever else the file holds;
// every value reads back as the bytes that stand in the file.
struct Kept {
    const char* name;
    std::string before;
    std::string after;   // once Interval is 15
    std::string folder;  // PelandrasDir's bytes as read back ("" when absent)
};

const std::string kLongList = [] {
    std::string list;
    for (int i = 0; i < 70000; ++i) list += "a,";
    return list + "a";
}();

const std::string kNulAndMore = std::string(1, '\0') + std::string(190, 'x');  // grows long

const Kept kKept[] = {
    {"Latin1Folder", "[Settings]\nPelandrasDir=/media/caf\xe9/pyrnox/\nInterval=2\n",
     "[Settings]\nPelandrasDir=/media/caf\xe9/pyrnox/\nInterval=15\n", "/media/caf\xe9/pyrnox/"},
    {"LongCommaList", "[Settings]\nInterval=5\nPelandrasDir=" + kLongList + "\n",
     "[Settings]\nInterval=15\nPelandrasDir=" + kLongList + "\n", kLongList},
    {"WindowsLineEnds", "[Settings]\r\nPelandrasDir=/m/a, b/pyrnox/\r\nInterval = 60 \r\n",
     "[Settings]\r\nPelandrasDir=/m/a, b/pyrnox/\r\nInterval = 15 \r\n", "/m/a, b/pyrnox/"},
    {"ByteOrderMarkAndNoInterval", "\xEF\xBB\xBF[Settings]\r\nPelandrasDir=/x/\r\n",
     "\xEF\xBB\xBF[Settings]\r\nPelandrasDir=/x/\r\nInterval=15\r\n", "/x/"},
    {"OtherSectionsAndComments",
     "; mine\n[Other]\nInterval=9\n\n[Settings]\n# the disc\n  PelandrasDir : /cd/ ; note\n"
     "Interval=3 ; seconds\n[Last]\nX=1",
     "; mine\n[Other]\nInterval=9\n\n[Settings]\n# the disc\n  PelandrasDir : /cd/ ; note\n"
     "Interval=15 ; seconds\n[Last]\nX=1",
     "/cd/"},
    {"EmptySection", "\n[Settings]\n[Other]\nY=2\n", "\n[Settings]\nInterval=15\n[Other]\nY=2\n",
     ""},
    {"EmptyValueBeforeAComment", "[Settings]\nInterval= ; seconds\n",
     "[Settings]\nInterval= 15 ; seconds\n", ""},
    {"NulAfterAnEmptyValue", "[Settings]\nInterval=" + kNulAndMore + "\n",
     "[Settings]\nInterval=15" + kNulAndMore + "\n", ""},
    {"NoSettingsSection", "[Other]\nPelandrasDir=/elsewhere/",
     "[Other]\nPelandrasDir=/elsewhere/\n[Settings]\nInterval=15\n", ""},
};

TEST_F(SettingsStoreTest, SetChangesTheIntervalBytesOnly) {
    QDir().mkpath(QFileInfo(file).path());
    for (const Kept& c : kKept) {
        writeFile(file, QByteArray::fromStdString(c.before));
        const Text dir = store.read(u"Settings", u"PelandrasDir", u"");
        EXPECT_EQ(toFileName(dir), c.folder) << c.name;
        store.write(u"Settings", u"Interval", u"15");
        EXPECT_TRUE(contentOf(file).toStdString() == c.after) << c.name;
        EXPECT_EQ(store.read(u"Settings", u"Interval", u"2"), u"15") << c.name;
        EXPECT_EQ(store.read(u"Settings", u"PelandrasDir", u""), dir) << c.name;
    }
}

TEST_F(SettingsStoreTest, TheFirstWriteCreatesTheFolder) {
    store.write(u"Settings", u"Interval", u"3");
    EXPECT_EQ(contentOf(file), "[Settings]\nInterval=3\n");
}

// A write that cannot finish (here: the file size limit, which binds root too) must leave
// the previous file untouched and name the file in its error.
TEST_F(SettingsStoreTest, AFailedWriteKeepsTheOldFileAndSaysWhich) {
    QDir().mkpath(QFileInfo(file).path());
    const QByteArray old = "[Settings]\nInterval=15\nPelandrasDir=/media/cdrom/pyrnox/\n";
    writeFile(file, old);
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit tiny = saved;
    tiny.rlim_cur = 8;
    setrlimit(RLIMIT_FSIZE, &tiny);
    try {
        store.write(u"Settings", u"Interval", u"30");
        ADD_FAILURE() << "no error";
    } catch (const RuntimeError& error) {
        EXPECT_TRUE(error.number == 70 || error.number == 75) << error.number;
        EXPECT_NE(error.description.find(u"screensaver.ini"), Text::npos);
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(contentOf(file), old);
}

TEST_F(SettingsStoreTest, AReadOnlyFolderIsPermissionDenied) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    const QString dir = QFileInfo(file).path();
    QDir().mkpath(dir);
    const QByteArray old = "[Settings]\nInterval=15\n";
    writeFile(file, old);
    QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    try {
        store.write(u"Settings", u"Interval", u"30");
        ADD_FAILURE() << "no error";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number, 70);
    }
    QFile::setPermissions(dir,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(contentOf(file), old);
}

TEST(SettingsFile, FollowsXdgConfigHomeOrHome) {
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", "/srv/cfg");
    EXPECT_EQ(IniSettings::defaultFile(), "/srv/cfg/pelandra-omnarium/screensaver.ini");
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(IniSettings::defaultFile(),
              QDir::homePath() + "/.config/pelandra-omnarium/screensaver.ini");
    qputenv("XDG_CONFIG_HOME", saved);
}

// KDE's screen locker settings as KConfig cascades them: the user's file over the system's.
TEST(DesktopBlankTime, ReadFromKdesScreenLockerFiles) {
    struct Case {
        QByteArray user, system;  // kscreenlockerrc in each folder; null for none
        std::optional<int32_t> minutes;
    };
    const std::optional<int32_t> none;
    const Case cases[] = {
        {{}, {}, 5},  // KDE's defaults
        {"[Daemon]\nTimeout=3\n", {}, 3},
        {"[Daemon]\nAutolock=false\nTimeout=3\n", {}, none},
        {"[Daemon]\nTimeout=7\n", "[Daemon]\nAutolock=false\nTimeout=2\n", none},
        {"[Daemon]\nAutolock=true\n", "[Daemon]\nAutolock=false\nTimeout=2\n", 2},
        {"[Daemon]\nTimeout=soon\n", {}, none},
        {"[Daemon]\nTimeout=0\n", {}, none},
        {"[Greeter]\nTimeout=3\n", {}, 5},
        {"[Daemon]\nTimeout=100000\n", {}, 1440},
    };
    for (const Case& test : cases) {
        QTemporaryDir user, system;
        if (!test.user.isNull()) writeFile(user.filePath("kscreenlockerrc"), test.user);
        if (!test.system.isNull()) writeFile(system.filePath("kscreenlockerrc"), test.system);
        EXPECT_EQ(screenLockerMinutes({user.path().toStdString(), system.path().toStdString()}),
                  test.minutes)
            << test.user.toStdString() << "|" << test.system.toStdString();
    }
}

}  // namespace
}  // namespace pelandra::qt
