#include <QImage>
#include <QImageReader>
#include <QString>
#include <gtest/gtest.h>
#include <ostream>

namespace {

struct Picture {
    const char* path;
    const char* format;
    int width;
    int height;
    bool transparent;
};

void PrintTo(const Picture& picture, std::ostream* out) {
    *out << picture.path;
}

class ResourcesTest : public testing::TestWithParam<Picture> {};

// Each picture is decoded from the program's resources by Qt's own image readers, at its size,
// with transparency where the window needs it (and none in the banner, which sits on white).
TEST_P(ResourcesTest, DecodesAtItsSize) {
    const Picture& picture = GetParam();
    QImageReader reader(QString::fromLatin1(picture.path));
    ASSERT_TRUE(reader.canRead()) << picture.path << ": " << reader.errorString().toStdString();
    EXPECT_EQ(reader.format().toStdString(), picture.format);

    const QImage image = reader.read();
    ASSERT_FALSE(image.isNull()) << picture.path << ": " << reader.errorString().toStdString();
    EXPECT_EQ(image.width(), picture.width);
    EXPECT_EQ(image.height(), picture.height);
    EXPECT_EQ(image.hasAlphaChannel(), picture.transparent);
    if (picture.transparent) {
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << "the corner should be see-through";
    }
}

INSTANTIATE_TEST_SUITE_P(Pictures, ResourcesTest,
                         testing::Values(Picture{":/banner.png", "png", 339, 59, false},
                                         Picture{":/ok.png", "png", 24, 24, true},
                                         Picture{":/save.png", "png", 20, 20, true},
                                         Picture{":/cancel.png", "png", 20, 20, true},
                                         Picture{":/icon-128.png", "png", 128, 128, true},
                                         Picture{":/icon-48.png", "png", 48, 48, true},
                                         Picture{":/icon-32.png", "png", 32, 32, true},
                                         Picture{":/icon-16.png", "png", 16, 16, true}),
                         [](const testing::TestParamInfo<Picture>& info) {
                             QString name = QString::fromLatin1(info.param.path).mid(2);
                             return name.replace('.', '_').replace('-', '_').toStdString();
                         });

} // namespace
