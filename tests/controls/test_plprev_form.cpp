// The preview window: buttons and their Alt keys, status texts, navigation,
// zoom, the modal rule, printing refusal and failures, help and version
// information, saving as PDF.

#include "controls/PlPrev.h"
#include "controls/PlPrevForm.h"
#include "app/FrmVerU.h"
#include "common/MsgRecorder.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QScrollArea>
#include <QPrinter>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QWheelEvent>

namespace {

class PlPrevFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐ明朝"), QStringLiteral("IPAPMincho"));
        prev.FTitle = QStringLiteral("アレルギー印刷");
        prev.FStatusBarText = QStringLiteral("状態");
        prev.BeginDoc();
        prev.FontName(QStringLiteral("ＭＳ Ｐ明朝"));
        for (int i = 1; i <= 3; ++i) {
            if (i > 1)
                prev.NewPage();
            prev.TextOutLT(200, 200, QStringLiteral("頁 %1").arg(i));
        }
        prev.EndDoc();
    }
    // A shown form, laid out.
    std::unique_ptr<TplPrevForm> showForm()
    {
        auto form = std::make_unique<TplPrevForm>(&prev);
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        QApplication::processEvents();
        return form;
    }
    TplPrev prev;
};

} // namespace

TEST_F(PlPrevFormTest, ButtonsHintsMenuAndStatusTexts)
{
    auto form = showForm();
    EXPECT_EQ(form->objectName(), QStringLiteral("TplPrevForm"));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("アレルギー印刷"));
    struct {
        const char* name;
        const char* text;
        const char* hint;
        bool visible;
    } const buttons[] = {
        {"btnPrint", "印刷 (&P)", "印刷", true},
        {"btnPrinterSetup", "プリンタ設定", "プリンタと用紙の設定保存", false},
        {"btnFirst", "先頭頁", "先頭頁", true},
        {"btnPrior", "前頁", "前頁", true},
        {"btnNext", "次頁", "次頁", true},
        {"btnLast", "最終頁", "最終頁", true},
        {"btnZoomDown", "縮小", "縮小", true},
        {"btnZoomUp", "拡大", "拡大", true},
        {"btnWholePage", "全体", "全体表示", true},
        {"btnPageWidth", "頁幅", "横幅基準表示", true},
        {"btnHelp", "ヘルプ", "ヘルプ", true},
        {"btnAbout", "情報", "バージョン情報", true},
        {"btnClose", "閉じる", "閉じる", false},
        {"btnPdf", "PDF保存", "PDFファイルに保存", true},
    };
    for (const auto& b : buttons) {
        QAction* a = form->Action(QString::fromLatin1(b.name));
        ASSERT_NE(a, nullptr) << b.name;
        EXPECT_EQ(a->text(), QString::fromUtf8(b.text)) << b.name;
        EXPECT_EQ(a->toolTip(), QString::fromUtf8(b.hint)) << b.name;
        EXPECT_EQ(a->isVisible(), b.visible) << b.name;
    }
    QStringList menu;
    for (QAction* a : form->PopupMenu()->actions())
        menu << a->text();
    EXPECT_EQ(menu, (QStringList{QStringLiteral("現在の頁をコピー"), QStringLiteral("画面をコピー"),
                                 QStringLiteral("画面ハードコピー"), QStringLiteral("キャンセル")}));
    EXPECT_EQ(form->StatusText(1), QStringLiteral(" Page  1/3  A4"));
    EXPECT_EQ(form->StatusText(2), QStringLiteral("状態"));
    EXPECT_EQ(form->minimumSize(), QSize(350, 350));
}

TEST_F(PlPrevFormTest, PageButtonsMoveAndEnable)
{
    auto form = showForm();
    auto enabled = [&](const char* n) { return form->Action(QString::fromLatin1(n))->isEnabled(); };
    EXPECT_FALSE(enabled("btnFirst"));
    EXPECT_FALSE(enabled("btnPrior"));
    EXPECT_TRUE(enabled("btnNext"));
    EXPECT_TRUE(enabled("btnLast"));
    form->Action(QStringLiteral("btnNext"))->trigger();
    EXPECT_EQ(form->StatusText(1), QStringLiteral(" Page  2/3  A4"));
    EXPECT_TRUE(enabled("btnFirst"));
    EXPECT_TRUE(enabled("btnNext"));
    form->Action(QStringLiteral("btnLast"))->trigger();
    EXPECT_EQ(prev.PageNumber(), 3);
    EXPECT_FALSE(enabled("btnNext"));
    EXPECT_FALSE(enabled("btnLast"));
    form->Action(QStringLiteral("btnPrior"))->trigger();
    EXPECT_EQ(prev.PageNumber(), 2);
    form->Action(QStringLiteral("btnFirst"))->trigger();
    EXPECT_EQ(form->StatusText(1), QStringLiteral(" Page  1/3  A4"));
}

TEST_F(PlPrevFormTest, ZoomingOutStopsAt100Pixels)
{
    auto form = showForm();
    QAction* down = form->Action(QStringLiteral("btnZoomDown"));
    int clicks = 0;
    while (down->isEnabled() && clicks < 100) {
        const int before = form->ImageSize().width();
        down->trigger();
        ++clicks;
        EXPECT_EQ(form->ImageSize().width(), before * 90 / 100);
    }
    EXPECT_LT(clicks, 100);
    EXPECT_EQ(prev.FZoomtype, ztOther);
    const QSize small = form->ImageSize();
    EXPECT_LE(small.width(), 100);
    EXPECT_GT(small.width(), 85);
    EXPECT_EQ(small.height(), static_cast<int>(small.width() * 2970.0 / 2100.0));
    down->trigger();  // a disabled action does nothing
    EXPECT_EQ(form->ImageSize(), small);
    form->Action(QStringLiteral("btnZoomUp"))->trigger();
    EXPECT_EQ(form->ImageSize().width(), small.width() * 100 / 90);
    EXPECT_TRUE(down->isEnabled());
}

TEST_F(PlPrevFormTest, WholePageAndPageWidthFitTheScrollBox)
{
    auto form = showForm();
    form->resize(600, 500);
    QApplication::processEvents();
    form->Action(QStringLiteral("btnWholePage"))->trigger();
    QSize vp = form->ScrollBox()->maximumViewportSize();
    EXPECT_EQ(form->ImageSize().height(), vp.height() - 30);  // height is the limiting side
    EXPECT_LE(form->ImageSize().width(), vp.width() - 30);
    EXPECT_EQ(form->ScrollBox()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);

    form->Action(QStringLiteral("btnPageWidth"))->trigger();
    EXPECT_EQ(prev.FZoomtype, ztPageWidth);
    const int bar = form->ScrollBox()->verticalScrollBar()->sizeHint().width();
    EXPECT_EQ(form->ImageSize().width(), vp.width() - 30 - bar);
    EXPECT_EQ(form->ScrollBox()->verticalScrollBar()->value(), 0);

    // The mouse wheel scrolls by a fifth of its delta.
    QWheelEvent wheel(QPointF(50, 50), form->View()->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(form->View(), &wheel);
    EXPECT_EQ(form->ScrollBox()->verticalScrollBar()->value(), 24);

    // Resizing re-applies the active mode.
    form->resize(800, 500);
    QApplication::processEvents();
    vp = form->ScrollBox()->maximumViewportSize();
    EXPECT_EQ(form->ImageSize().width(), vp.width() - 30 - bar);
}

TEST_F(PlPrevFormTest, SecondModalPreviewIsRefused)
{
    MsgRecorder rec;
    bool wasShowing = false;
    QTimer::singleShot(0, [&] {
        wasShowing = prev.PreviewShowing();
        prev.ShowModal();  // refused while the first is open
        ASSERT_NE(prev.ActiveForm(), nullptr);
        prev.ActiveForm()->reject();
    });
    prev.ShowModal();
    EXPECT_TRUE(wasShowing);
    EXPECT_FALSE(prev.PreviewShowing());
    ASSERT_EQ(rec.boxes.size(), 1);
    EXPECT_EQ(rec.boxes[0].text, QStringLiteral("表示中のフォームをモーダル表示で開くことはできません(矛盾)．　　"));
    EXPECT_EQ(rec.boxes[0].caption, QStringLiteral("印刷プレビュー制御コンポーネント"));
}

TEST_F(PlPrevFormTest, PrintButtonWithoutPrinterIsRefused)
{
    if (!prev.NoPrinter())
        GTEST_SKIP() << "a printer is installed";
    auto form = showForm();
    MsgRecorder rec;
    form->Action(QStringLiteral("btnPrint"))->trigger();
    ASSERT_EQ(rec.boxes.size(), 1);
    EXPECT_EQ(rec.boxes[0].text, QStringLiteral("プリンタがインストールされていないので印刷できません．　　"));
    EXPECT_EQ(rec.boxes[0].caption, QStringLiteral("　印刷"));
}

TEST_F(PlPrevFormTest, PdfButtonSavesTheDocument)
{
    auto form = showForm();
    MsgRecorder rec;
    QTemporaryDir dir;
    QString proposed;
    form->FAskPdfFileName = [&](QWidget*, const QString& p) {
        proposed = p;
        return dir.filePath(QStringLiteral("saved"));
    };
    form->Action(QStringLiteral("btnPdf"))->trigger();
    EXPECT_TRUE(proposed.endsWith(QStringLiteral("/アレルギー印刷.pdf")));
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("saved.pdf"))));
    EXPECT_EQ(rec.last(), QStringLiteral("正常に出力しました。"));

    form->FAskPdfFileName = [](QWidget*, const QString&) { return QString(); };  // cancelled
    form->Action(QStringLiteral("btnPdf"))->trigger();
    EXPECT_EQ(rec.boxes.size(), 1);
    EXPECT_FALSE(form->SavePdfTo(QStringLiteral("/nonexistent-dir/x.pdf")));
    EXPECT_EQ(rec.last(), QStringLiteral("PDFファイルを保存できませんでした。"));
}

TEST_F(PlPrevFormTest, ButtonsWithAnAmpersandKeepTheirAltKey)
{
    auto form = showForm();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    int withKey = 0;
    for (QAction* a : form->findChildren<QAction*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (!a->text().contains(QLatin1Char('&')))
            continue;
        ++withKey;
        auto* button = qobject_cast<QToolButton*>(form->findChild<QToolBar*>()->widgetForAction(a));
        ASSERT_NE(button, nullptr) << a->objectName().toStdString();
        EXPECT_EQ(button->text(), a->text());
    }
    EXPECT_EQ(withKey, 1);

    QAction* print = form->Action(QStringLiteral("btnPrint"));
    QObject::disconnect(print, &QAction::triggered, form.get(), nullptr);  // no print dialog here
    QSignalSpy spy(print, &QAction::triggered);
    QTest::keyClick(form.get(), Qt::Key_P, Qt::AltModifier);
    EXPECT_TRUE(spy.count() == 1 || spy.wait(1000));  // the button animates its click
}

TEST_F(PlPrevFormTest, HelpExplainsTheButtonsAndAboutShowsTheVersion)
{
    auto form = showForm();
    MsgRecorder rec;
    form->Action(QStringLiteral("btnHelp"))->trigger();  // no help file beside the test program
    ASSERT_EQ(rec.boxes.size(), 1);
    EXPECT_EQ(rec.boxes[0].kind, msg::TKind::Information);
    EXPECT_TRUE(rec.boxes[0].text.contains(QStringLiteral("印刷 (Alt+P)")));

    QString name, version;
    QTimer::singleShot(0, [&] {
        if (auto* ver = qobject_cast<TFrmVer*>(QApplication::activeModalWidget())) {
            name = ver->lblName->text();
            version = ver->lblVer->text();
            ver->accept();
        }
    });
    form->Action(QStringLiteral("btnAbout"))->trigger();
    EXPECT_EQ(name, TFrmVer::productName());
    EXPECT_EQ(version, TFrmVer::versionText());
}

TEST_F(PlPrevFormTest, HardCopyOnAPrinterThatCannotOpenIsReported)
{
    auto form = showForm();
    MsgRecorder rec;
    QTemporaryDir dir;
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("missing/shot.pdf")));
    EXPECT_FALSE(form->PrintWindowTo(printer));
    EXPECT_EQ(rec.last(), QStringLiteral("プリンタを開けませんでした。"));
}
