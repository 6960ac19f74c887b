// File names that are not UTF-8: listed as text, loaded by the very bytes they have on disc.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QBuffer>
#include <QImage>
#include <QTemporaryDir>

#include "picture_waiting.h"
#include "platform/linux/files/file_name_text.h"
#include "platform/qt/control_widgets.h"
#include "platform/qt/qt_platform.h"
#include "recording_sink.h"
#include "show/show_design.h"

namespace pelandra::qt {
namespace {

TEST(FileNameText, KeepsEveryByteThatIsNotUtf8AndTurnsBackIntoTheSameBytes) {
    const struct {
        const char* name;
        std::string bytes;
        Text text;
    } cases[] = {
        {"Ascii", "57CHEVY.JPG", u"57CHEVY.JPG"},
        {"Utf8",
         "Gr\xC3\xB6\xC3\x9F"
         "e \xE2\x82\xAC \xF0\x9F\x98\x80",
         u"Größe € \U0001F600"},
        {"Latin1",
         "c\xFF\xFE"
         "bad.jpg",
         u"c\xDCFF\xDCFE"
         "bad.jpg"},
        {"LoneContinuation", "a\x80z", u"a\xDC80z"},
        {"CutSequence", "\xE2\x82", u"\xDCE2\xDC82"},
        {"Overlong", "\xC0\xAF", u"\xDCC0\xDCAF"},
        {"EncodedSurrogate", "\xED\xB2\x80", u"\xDCED\xDCB2\xDC80"},
        {"PastTheLastCodePoint", "\xF4\x90\x80\x80", u"\xDCF4\xDC90\xDC80\xDC80"},
        {"ValidAfterInvalid", "\xFF\xC3\xA9", u"\xDCFF\u00E9"},
        {"Empty", "", u""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fromFileName(c.bytes), c.text) << c.name;
        EXPECT_EQ(toFileName(c.text), c.bytes) << c.name;
    }
}

TEST(FileNameText, ALoneSurrogateNoNameGivesIsWrittenAsTheReplacementCharacter) {
    EXPECT_EQ(toFileName(u"a\xD800z"), "a\xEF\xBF\xBDz");
    EXPECT_EQ(toFileName(u"\xDC41"), "\xEF\xBF\xBD");
}

int argc = 1;
char program[] = "pelandra-saver";
char* argv[] = {program, nullptr};

TEST(FileNameText, AFileNamedInAnotherEncodingIsListedAndLoads) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const std::string dir = folder.path().toStdString() + "/";
    QImage image(QSize(40, 30), QImage::Format_RGB32);
    image.fill(Qt::green);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(image.save(&buffer, "JPEG"));
    const std::string name =
        "c\xFF\xFE"
        "bad.jpg";
    const int fd = ::open((dir + name).c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, bytes.constData(), size_t(bytes.size())), bytes.size());
    ::close(fd);

    QtPlatform platform{argc, argv};
    testing::RecordingSink sink;
    platform.createForm(show::form1Design(), sink);
    const Text folderText = fromFileName(dir);
    auto reader = platform.openDirectory(folderText);
    ASSERT_NE(reader, nullptr);
    const auto listed = reader->next();
    ASSERT_TRUE(listed.has_value());
    EXPECT_EQ(*listed,
              u"c\xDCFF\xDCFE"
              "bad.jpg");
    platform.preparePicture("Form1", "Image1", folderText + *listed);
    ASSERT_TRUE(testing::waitForPicture(platform));
    EXPECT_NO_THROW(platform.showPreparedPicture("Form1", "Image1"));
    auto* photo = dynamic_cast<PictureWidget*>(platform.window("Form1")->control("Image1"));
    ASSERT_NE(photo, nullptr);
    EXPECT_GT(qGreen(photo->picture().pixel(10, 10)), 200);
}

}  // namespace
}  // namespace pelandra::qt
