#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QTemporaryDir>

#include "localisation/widgets/BackgroundPictures.h"
#include "platform/Database.h"
#include "platform/widgets/ListBar.h"
#include "startup/DbAccess.h"
#include "startup/Globals.h"
#include "support/RuntimeTree.h"
#include "support/TableFiles.h"

namespace kestrel {
namespace {

class BackgroundPicturesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(OpenDB(tree_.DatabaseDir() + u"Kestrel.lng"_s, g_LangDb, false));
        ASSERT_TRUE(OpenDB(tree_.SuiteDatabaseDir() + u"Common.LNG"_s, g_CommonDb, false));
        window_.setObjectName(u"frmPics"_s);
        window_.resize(300, 200);
        image_ = test::AddControl<QLabel>(&window_, "imgBack", "Image", 0);
        panel_ = test::AddControl<QWidget>(&window_, "picPanel", "SSPanel");
        panel_->resize(120, 80);
        panel_->show();
        bar_ = test::AddControl<ListBar>(&window_, "lsbMenu", "SSListBar");
        bar_->move(5, 5);
        Picture("back.png", 20, 10);
        Picture("back3.png", 30, 10);
        ASSERT_TRUE(test::WriteFile(folder_.filePath(u"junk.png"_s), "not a picture"));
        g_CommonDb->Execute(
            QStringLiteral("INSERT INTO PictureFileName VALUES (3, 'back.png', 'back3.png'), "
                           "(3, 'back.png', 'ignored.png')"));
    }
    void Picture(const char* name, int width, int height) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        image.save(folder_.filePath(Q(name)));
    }
    void Row(const char* object, int index, const char* file, const char* base, int baseIndex) {
        g_LangDb->Execute(u"INSERT INTO tPicture VALUES ('frmPics', ?, ?, ?, ?, ?)"_s,
                          {Q(object), index, Q(file), Q(base), baseIndex});
    }
    bool Load(int set) {
        return LoadBackgrounds(&window_, g_LangDb.get(), g_CommonDb.get(),
                               static_cast<std::int16_t>(set), folder_.path() + u'/');
    }

    test::RuntimeTree tree_;
    QTemporaryDir folder_;
    QWidget window_;
    QLabel* image_;
    QWidget* panel_;
    ListBar* bar_;
};

// A panel base is shown after its picture changes, also one hidden before,
// and also when the picture fails.
TEST_F(BackgroundPicturesTest, PanelBaseAndListBarPicture) {
    Row("imgBack", 0, "back.png", "picPanel", -1);
    Row("lsbMenu", -1, "back.png", "me", -1);
    Row("imgBack", 0, "missing.png", "me", -1);  // skipped silently
    Row("imgBack", 0, "-1", "me", -1);
    panel_->hide();
    ASSERT_TRUE(Load(0));
    EXPECT_EQ(image_->size(), QSize(120, 80));
    EXPECT_FALSE(panel_->isHidden());
    EXPECT_TRUE(bar_->property("pictureBackground").toString().endsWith(u"back.png"_s));
    EXPECT_EQ(bar_->pos(), QPoint(5, 5));
    EXPECT_TRUE(tree_.boxes.shown.empty());
}

// Sets map a picture's name (set 0 takes it as stored, the first mapping
// wins), and rows find their window, controls and set names whatever the
// case; an image on its window fills it.
TEST_F(BackgroundPicturesTest, NamesMatchWhateverTheirCase) {
    g_CommonDb->Execute(u"INSERT INTO PictureFileName VALUES (4, 'BACK.PNG', 'back3.png')"_s);
    const struct {
        const char *window, *file;
        int set, width;
    } cases[] = {{"FRMPICS", "back.png", 0, 20},
                 {"frmpics", "Back.png", 4, 30},
                 {"FrmPics", "back.PNG", 3, 30}};
    for (const auto& c : cases) {
        image_->clear();
        g_LangDb->Execute(u"DELETE FROM tPicture"_s);
        g_LangDb->Execute(u"INSERT INTO tPicture VALUES (?, 'IMGBACK', 0, ?, 'ME', -1)"_s,
                          {Q(c.window), Q(c.file)});
        ASSERT_TRUE(Load(c.set)) << c.window;
        EXPECT_EQ(image_->pixmap().width(), c.width) << c.window << " " << c.file;
        EXPECT_EQ(image_->size(), window_.size());
        EXPECT_EQ(image_->pos(), QPoint(0, 0));
    }
    EXPECT_TRUE(tree_.boxes.shown.empty());
}

TEST_F(BackgroundPicturesTest, FailuresStopAndShowTheBaseAgain) {
    const struct {
        const char *object, *file, *base, *number;
    } breakages[] = {{"imgNone", "back.png", "me", "[730]"},
                     {"imgBack", "back.png", "picNone", "[730]"},
                     {"imgBack", "junk.png", "picPanel", "[481]"},
                     {"picPanel", "back.png", "me", "[438]"}};
    for (const auto& b : breakages) {
        g_LangDb->Execute(u"DELETE FROM tPicture WHERE FormName = 'frmPics'"_s);
        tree_.boxes.Clear();
        Row(b.object, b.object == u"imgBack"_s ? 0 : -1, b.file, b.base, -1);
        panel_->setHidden(QLatin1String(b.base) == "picPanel");
        EXPECT_FALSE(Load(0)) << b.object << " " << b.file;
        ASSERT_EQ(tree_.boxes.shown.size(), 1u);
        EXPECT_TRUE(tree_.boxes.Last().prompt.endsWith(Q(b.number)))
            << tree_.boxes.Last().prompt.toStdString();
        EXPECT_FALSE(panel_->isHidden());
    }
}

}  // namespace
}  // namespace kestrel
