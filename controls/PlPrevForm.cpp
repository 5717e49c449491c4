#include "controls/PlPrevForm.h"

#include "app/CommonU.h"
#include "app/FrmVerU.h"
#include "app/MsgBox.h"
#include "controls/PlPrev.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStandardPaths>
#include <QStatusBar>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kMargin = 15;       // space around the page in the scroll box
constexpr int kShadow = 2;        // drop-shadow offset
constexpr int kMinZoomWidth = 100;

const QString kNoPrinter = QStringLiteral("プリンタがインストールされていないので印刷できません．　　");

QSize screenSize()
{
    if (const QScreen* s = QGuiApplication::primaryScreen())
        return s->geometry().size();
    return {1024, 768};
}

} // namespace

// ================================================================ TplPrevForm

TplPrevForm::TplPrevForm(TplPrev* prev, QWidget* parent)
    : QDialog(parent)
    , FPrev(prev)
{
    setObjectName(QStringLiteral("TplPrevForm"));
    setWindowTitle(FPrev->FTitle.isEmpty() ? FPrev->DocTitle() : FPrev->FTitle);
    setMinimumSize(350, 350);
    setSizeGripEnabled(FPrev->FFormCanResize);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    FToolBar = new QToolBar(this);
    FToolBar->setObjectName(QStringLiteral("ToolBar"));
    FToolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    layout->addWidget(FToolBar);

    const TBtnOptions opt = FPrev->FBtnOptions;
    connect(addButton(QStringLiteral("btnPrint"), QStringLiteral("印刷 (&P)"), QStringLiteral("印刷"),
                      opt.testFlag(boPrint)),
            &QAction::triggered, this, &TplPrevForm::PrintClick);
    connect(addButton(QStringLiteral("btnPdf"), QStringLiteral("PDF保存"), QStringLiteral("PDFファイルに保存"),
                      opt.testFlag(boPdf)),
            &QAction::triggered, this, &TplPrevForm::PdfClick);
    connect(addButton(QStringLiteral("btnPrinterSetup"), QStringLiteral("プリンタ設定"),
                      QStringLiteral("プリンタと用紙の設定保存"), opt.testFlag(boPrinterSetup)),
            &QAction::triggered, this, &TplPrevForm::PrinterSetupClick);
    FToolBar->addSeparator();
    connect(addButton(QStringLiteral("btnFirst"), QStringLiteral("先頭頁"), QStringLiteral("先頭頁"),
                      opt.testFlag(boFirst)),
            &QAction::triggered, this, &TplPrevForm::FirstPage);
    connect(addButton(QStringLiteral("btnPrior"), QStringLiteral("前頁"), QStringLiteral("前頁"),
                      opt.testFlag(boPrior)),
            &QAction::triggered, this, &TplPrevForm::PriorPage);
    connect(addButton(QStringLiteral("btnNext"), QStringLiteral("次頁"), QStringLiteral("次頁"),
                      opt.testFlag(boNext)),
            &QAction::triggered, this, &TplPrevForm::NextPage);
    connect(addButton(QStringLiteral("btnLast"), QStringLiteral("最終頁"), QStringLiteral("最終頁"),
                      opt.testFlag(boLast)),
            &QAction::triggered, this, &TplPrevForm::LastPage);
    FToolBar->addSeparator();
    connect(addButton(QStringLiteral("btnZoomDown"), QStringLiteral("縮小"), QStringLiteral("縮小"),
                      opt.testFlag(boZoomDown)),
            &QAction::triggered, this, &TplPrevForm::ZoomDown);
    connect(addButton(QStringLiteral("btnZoomUp"), QStringLiteral("拡大"), QStringLiteral("拡大"),
                      opt.testFlag(boZoomUp)),
            &QAction::triggered, this, &TplPrevForm::ZoomUp);
    connect(addButton(QStringLiteral("btnWholePage"), QStringLiteral("全体"), QStringLiteral("全体表示"),
                      opt.testFlag(boWholePage)),
            &QAction::triggered, this, &TplPrevForm::WholePage);
    connect(addButton(QStringLiteral("btnPageWidth"), QStringLiteral("頁幅"), QStringLiteral("横幅基準表示"),
                      opt.testFlag(boPageWidth)),
            &QAction::triggered, this, &TplPrevForm::PageWidth);
    FToolBar->addSeparator();
    connect(addButton(QStringLiteral("btnHelp"), QStringLiteral("ヘルプ"), QStringLiteral("ヘルプ"),
                      opt.testFlag(boHelp)),
            &QAction::triggered, this, &TplPrevForm::HelpClick);
    connect(addButton(QStringLiteral("btnAbout"), QStringLiteral("情報"), QStringLiteral("バージョン情報"),
                      opt.testFlag(boAbout)),
            &QAction::triggered, this, &TplPrevForm::AboutClick);
    connect(addButton(QStringLiteral("btnClose"), QStringLiteral("閉じる"), QStringLiteral("閉じる"),
                      opt.testFlag(boClose)),
            &QAction::triggered, this, &QDialog::reject);
    FToolBar->setVisible(FPrev->FFormIconBar);

    FScroll = new QScrollArea(this);
    FScroll->setObjectName(QStringLiteral("ScrollBox"));
    FScroll->setWidgetResizable(false);
    FScroll->setBackgroundRole(QPalette::Dark);
    FView = new TplPageView(FPrev, this, FScroll);
    FView->setObjectName(QStringLiteral("PageView"));
    FScroll->setWidget(FView);
    layout->addWidget(FScroll, 1);

    FStatus = new QStatusBar(this);
    FStatus->setObjectName(QStringLiteral("StatusBar"));
    FStatus->setSizeGripEnabled(false);
    FPanel1 = new QLabel(FStatus);
    FPanel1->setObjectName(QStringLiteral("StatusPanel1"));
    FPanel1->setMinimumWidth(200);
    FPanel2 = new QLabel(FStatus);
    FPanel2->setObjectName(QStringLiteral("StatusPanel2"));
    FStatus->addWidget(FPanel1);
    FStatus->addWidget(FPanel2, 1);
    FStatus->setVisible(FPrev->FFormStatusBar);
    layout->addWidget(FStatus);

    FPopup = new QMenu(this);
    FPopup->setObjectName(QStringLiteral("PopupMenu"));
    connect(FPopup->addAction(QStringLiteral("現在の頁をコピー")), &QAction::triggered, this,
            &TplPrevForm::CopyPage);
    connect(FPopup->addAction(QStringLiteral("画面をコピー")), &QAction::triggered, this,
            &TplPrevForm::CopyWindow);
    connect(FPopup->addAction(QStringLiteral("画面ハードコピー")), &QAction::triggered, this,
            &TplPrevForm::PrintWindow);
    FPopup->addAction(QStringLiteral("キャンセル"));

    FAskPdfFileName = [](QWidget* parent, const QString& proposed) {
        return QFileDialog::getSaveFileName(parent, QStringLiteral("PDF保存"), proposed,
                                            QStringLiteral("PDFファイル (*.pdf)"));
    };

    setGeometry(FPrev->FFormLeft, FPrev->FFormTop, std::max(350, FPrev->FFormWidth),
                std::max(350, FPrev->FFormHeight));
    if (!FPrev->FFormCanResize)
        setFixedSize(size());

    // Start size of the page before the first layout pass.
    FImgW = std::max(1, FPrev->FFormWidth / 2);
    FImgH = static_cast<int>(FImgW * ratio());
    showPage();
}

TplPrevForm::~TplPrevForm() = default;

QAction* TplPrevForm::addButton(const QString& name, const QString& text, const QString& hint, bool visible)
{
    auto* a = new QAction(text, this);
    // A tool button shows the icon text, which Qt derives from the text with
    // the "&" removed; set it as is so that the button keeps its Alt key.
    a->setIconText(text);
    a->setObjectName(name);
    a->setToolTip(hint);
    a->setStatusTip(hint);
    FToolBar->addAction(a);
    if (QWidget* w = FToolBar->widgetForAction(a))
        w->setObjectName(name);
    a->setVisible(visible);
    return a;
}

QAction* TplPrevForm::Action(const QString& objectName) const
{
    return findChild<QAction*>(objectName, Qt::FindDirectChildrenOnly);
}

QString TplPrevForm::StatusText(int panel) const
{
    return panel == 1 ? FPanel1->text() : FPanel2->text();
}

double TplPrevForm::ratio() const
{
    const TPaperGeometry& g = FPrev->Paper();
    return g.width > 0 ? double(g.height) / g.width : 297.0 / 210.0;
}

void TplPrevForm::showPage()
{
    FPanel1->setText(QStringLiteral(" Page  %1/%2  %3")
                         .arg(FPrev->PageNumber())
                         .arg(FPrev->PageCount())
                         .arg(FPrev->Paper().paperName));
    FPanel2->setText(FPrev->FStatusBarText);
    updateButtons();
    FView->update();
}

void TplPrevForm::updateButtons()
{
    const int page = FPrev->PageNumber();
    const int count = FPrev->PageCount();
    Action(QStringLiteral("btnFirst"))->setEnabled(page > 1);
    Action(QStringLiteral("btnPrior"))->setEnabled(page > 1);
    Action(QStringLiteral("btnNext"))->setEnabled(page < count);
    Action(QStringLiteral("btnLast"))->setEnabled(page < count);
    const QSize scr = screenSize();
    Action(QStringLiteral("btnZoomDown"))->setEnabled(FImgW > kMinZoomWidth);
    Action(QStringLiteral("btnZoomUp"))->setEnabled(FImgW < 2 * scr.width() && FImgH < 3 * scr.height());
}

void TplPrevForm::setScrollBars(bool on)
{
    const Qt::ScrollBarPolicy p = on ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff;
    FScroll->setHorizontalScrollBarPolicy(p);
    FScroll->setVerticalScrollBarPolicy(p);
}

void TplPrevForm::layoutView()
{
    const QSize vp = FScroll->maximumViewportSize();
    int w = FImgW + 2 * kMargin;
    int h = FImgH + 2 * kMargin;
    if (FPrev->FZoomtype == ztWholePage) {
        w = vp.width();
        h = vp.height();
    } else {
        const bool vbar = h > vp.height();
        const int vpw = vp.width() - (vbar ? FScroll->verticalScrollBar()->sizeHint().width() : 0);
        const bool hbar = w > vpw;
        const int vph = vp.height() - (hbar ? FScroll->horizontalScrollBar()->sizeHint().height() : 0);
        w = std::max(w, vpw);
        h = std::max(h, vph);
    }
    FView->resize(w, h);
    updateButtons();
    FView->update();
}

void TplPrevForm::WholePage()
{
    FPrev->FZoomtype = ztWholePage;
    setScrollBars(false);
    const QSize vp = FScroll->maximumViewportSize();
    const double r = ratio();
    const int availW = std::max(1, vp.width() - 2 * kMargin);
    const int availH = std::max(1, vp.height() - 2 * kMargin);
    if (availW * r <= availH) {
        FImgW = availW;
        FImgH = static_cast<int>(availW * r);
    } else {
        FImgH = availH;
        FImgW = static_cast<int>(availH / r);
    }
    FImgW = std::max(1, FImgW);
    FImgH = std::max(1, FImgH);
    layoutView();
}

void TplPrevForm::PageWidth()
{
    FPrev->FZoomtype = ztPageWidth;
    setScrollBars(true);
    const QSize vp = FScroll->maximumViewportSize();
    const int sbw = FScroll->verticalScrollBar()->sizeHint().width();
    int w = vp.width() - 2 * kMargin;
    if (w * ratio() + 2 * kMargin > vp.height())
        w -= sbw;  // the page will be taller than the box: leave room for the bar
    FImgW = std::max(1, w);
    FImgH = std::max(1, static_cast<int>(FImgW * ratio()));
    layoutView();
    FScroll->horizontalScrollBar()->setValue(0);
    FScroll->verticalScrollBar()->setValue(0);
}

void TplPrevForm::ZoomDown()
{
    FPrev->FZoomtype = ztOther;
    setScrollBars(true);
    if (FImgW > kMinZoomWidth) {
        FImgW = FImgW * 90 / 100;
        FImgH = static_cast<int>(FImgW * ratio());
    }
    layoutView();
}

void TplPrevForm::ZoomUp()
{
    FPrev->FZoomtype = ztOther;
    setScrollBars(true);
    const QSize scr = screenSize();
    if (FImgW < 2 * scr.width() && FImgH < 3 * scr.height()) {
        FImgW = FImgW * 100 / 90;
        FImgH = static_cast<int>(FImgW * ratio());
    }
    layoutView();
}

void TplPrevForm::FirstPage()
{
    FPrev->SetPageNumber(1);
    showPage();
}

void TplPrevForm::PriorPage()
{
    FPrev->SetPageNumber(FPrev->PageNumber() - 1);
    showPage();
}

void TplPrevForm::NextPage()
{
    FPrev->SetPageNumber(FPrev->PageNumber() + 1);
    showPage();
}

void TplPrevForm::LastPage()
{
    FPrev->SetPageNumber(FPrev->PageCount());
    showPage();
}

void TplPrevForm::PrintClick()
{
    QPrinter* printer = FPrev->NoPrinter() ? nullptr : FPrev->plSetPrinter()->Printer();
    if (!printer) {
        msg::warning(this, kNoPrinter, QStringLiteral("　印刷"));
        return;
    }
    const int count = FPrev->PageCount();
    const int current = FPrev->PageNumber();
    printer->setFromTo(current, current);
    QPrintDialog dlg(printer, this);
    dlg.setWindowTitle(FPrev->DocTitle());
    dlg.setOptions(QAbstractPrintDialog::PrintPageRange | QAbstractPrintDialog::PrintToFile
                   | QAbstractPrintDialog::PrintShowPageSize);
    dlg.setMinMax(1, count);
    dlg.setFromTo(current, current);
    auto* options = new QWidget;
    options->setWindowTitle(QStringLiteral("オプション"));
    auto* optLayout = new QVBoxLayout(options);
    auto* inverse = new QCheckBox(QStringLiteral("180度回転して印刷"), options);
    inverse->setObjectName(QStringLiteral("cbInversePrint"));
    inverse->setChecked(FPrev->FInversePrint);
    optLayout->addWidget(inverse);
    optLayout->addStretch();
    dlg.setOptionTabs({options});
    if (dlg.exec() != QDialog::Accepted)
        return;
    FPrev->FInversePrint = inverse->isChecked();
    if (dlg.printRange() == QAbstractPrintDialog::PageRange) {
        FPrev->FPrintFromPage = dlg.fromPage();
        FPrev->FPrintToPage = dlg.toPage();
    } else {
        FPrev->FPrintFromPage = 1;
        FPrev->FPrintToPage = count;
    }
    FPrev->Print();  // a failed print is reported by Print itself
    FPrev->SetPageNumber(current);
    showPage();
}

void TplPrevForm::PdfClick()
{
    const QString title = FPrev->FTitle.isEmpty() ? FPrev->DocTitle() : FPrev->FTitle;
    QString dir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (dir.isEmpty())
        dir = QDir::homePath();
    QString file = FAskPdfFileName(this, QDir(dir).filePath(title + QStringLiteral(".pdf")));
    if (file.isEmpty())
        return;
    if (!file.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        file += QStringLiteral(".pdf");
    SavePdfTo(file);
}

bool TplPrevForm::SavePdfTo(const QString& fileName)
{
    if (FPrev->SavePdf(fileName)) {
        msg::information(this, QStringLiteral("正常に出力しました。"));
        return true;
    }
    msg::warning(this, QStringLiteral("PDFファイルを保存できませんでした。"));
    return false;
}

void TplPrevForm::PrinterSetupClick()
{
    if (!FPrev->plSetPrinter()->ShowSetupDialog(this))
        return;
    FPrev->SetplSetPrinter(FPrev->plSetPrinter());
    WholePage();
    showPage();
}

void TplPrevForm::CopyPage()
{
    // About 150 dpi: sharp enough to paste into a document.
    const int width = FPrev->Paper().width * 150 / 254;
    QGuiApplication::clipboard()->setImage(FPrev->RenderPage(FPrev->PageNumber(), width));
}

void TplPrevForm::CopyWindow()
{
    QGuiApplication::clipboard()->setPixmap(grab());
}

void TplPrevForm::PrintWindow()
{
    QPrinter* printer = FPrev->NoPrinter() ? nullptr : FPrev->plSetPrinter()->Printer();
    if (!printer) {
        msg::warning(this, kNoPrinter, QStringLiteral("　印刷"));
        return;
    }
    PrintWindowTo(*printer);
}

bool TplPrevForm::PrintWindowTo(QPrinter& printer)
{
    const QPixmap shot = grab();
    printer.setDocName(FPrev->DocTitle());
    QPainter p;
    if (!p.begin(&printer)) {
        msg::warning(this, kCannotOpenPrinter);
        return false;
    }
    const QRect page = p.viewport();
    const QSize fitted = shot.size().scaled(page.size(), Qt::KeepAspectRatio);
    p.drawPixmap(QRect(page.topLeft(), fitted), shot);
    if (!p.end()) {
        msg::warning(this, QStringLiteral("印刷を完了できませんでした。"));
        return false;
    }
    return true;
}

void TplPrevForm::HelpClick()
{
    const QString file = CommonU::HelpFile();
    if (!file.isEmpty() && QDesktopServices::openUrl(QUrl::fromLocalFile(file)))
        return;
    msg::information(this, QStringLiteral("印刷プレビューの操作\n\n"
                                          "印刷 (Alt+P)：印刷する頁を選んで印刷します。\n"
                                          "PDF保存：PDFファイルに保存します。\n"
                                          "先頭頁・前頁・次頁・最終頁：表示する頁を切り替えます。\n"
                                          "縮小・拡大：表示を小さく・大きくします。\n"
                                          "全体：頁全体を表示します。　頁幅：頁の横幅に合わせます。\n"
                                          "頁はマウスでドラッグして動かせます。ホイールで上下に動きます。\n"
                                          "右クリックで頁や画面のコピーができます。\n"
                                          "Esc：プレビューを閉じます。"));
}

void TplPrevForm::AboutClick()
{
    TFrmVer ver(this);
    ver.FstrName = TFrmVer::productName();
    ver.exec();
}

void TplPrevForm::resizeEvent(QResizeEvent* e)
{
    QDialog::resizeEvent(e);
    if (!FShown)
        return;
    if (FPrev->FZoomtype == ztWholePage)
        WholePage();
    else if (FPrev->FZoomtype == ztPageWidth)
        PageWidth();
    else
        layoutView();
}

void TplPrevForm::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (FShown)
        return;
    FShown = true;
    if (FPrev->FZoomtype == ztPageWidth) {
        PageWidth();
    } else {
        const TZoomType keep = FPrev->FZoomtype;
        WholePage();
        if (keep == ztOther) {
            FPrev->FZoomtype = ztOther;
            setScrollBars(true);
        }
    }
    showPage();
}

void TplPrevForm::moveEvent(QMoveEvent* e)
{
    QDialog::moveEvent(e);
    if (FShown && !FPrev->FFormCanMove && pos() != QPoint(FPrev->FFormLeft, FPrev->FFormTop))
        move(FPrev->FFormLeft, FPrev->FFormTop);
}

// ================================================================ TplPageView

TplPageView::TplPageView(TplPrev* prev, TplPrevForm* form, QWidget* parent)
    : QWidget(parent)
    , FPrev(prev)
    , FForm(form)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    if (FPrev->FImageDrag)
        setCursor(Qt::OpenHandCursor);
}

QRect TplPageView::ImageRect() const
{
    const QSize img = FForm->ImageSize();
    const int x = std::max(kMargin, (width() - img.width()) / 2);
    const int y = std::max(kMargin, (height() - img.height()) / 2);
    return {x, y, img.width(), img.height()};
}

void TplPageView::paintEvent(QPaintEvent* e)
{
    QPainter p(this);
    p.fillRect(e->rect(), palette().color(QPalette::Dark));
    if (!FPrev->FImageVisible)
        return;
    const QRect r = ImageRect();
    if (FPrev->FImageShade)
        p.fillRect(r.translated(kShadow, kShadow), Qt::black);
    p.fillRect(r, FPrev->FPaperColor);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    p.setClipRect(r.intersected(e->rect()));
    FPrev->DrawPage(p, FPrev->PageNumber(), QRectF(r));
    p.setClipping(false);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(Qt::black, 0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(-1, -1, 0, 0));  // one-pixel frame just outside the page
}

void TplPageView::wheelEvent(QWheelEvent* e)
{
    QScrollBar* bar = FForm->ScrollBox()->verticalScrollBar();
    bar->setValue(bar->value() - e->angleDelta().y() / 5);
    e->accept();
}

void TplPageView::mousePressEvent(QMouseEvent* e)
{
    if (FPrev->FImageDrag && e->button() == Qt::LeftButton) {
        FDragging = true;
        FDragStart = e->globalPosition().toPoint();
        FScrollStart = QPoint(FForm->ScrollBox()->horizontalScrollBar()->value(),
                              FForm->ScrollBox()->verticalScrollBar()->value());
        setCursor(Qt::ClosedHandCursor);
    }
    QWidget::mousePressEvent(e);
}

void TplPageView::mouseMoveEvent(QMouseEvent* e)
{
    if (FDragging) {
        const QPoint d = e->globalPosition().toPoint() - FDragStart;
        FForm->ScrollBox()->horizontalScrollBar()->setValue(FScrollStart.x() - d.x());
        FForm->ScrollBox()->verticalScrollBar()->setValue(FScrollStart.y() - d.y());
    }
    QWidget::mouseMoveEvent(e);
}

void TplPageView::mouseReleaseEvent(QMouseEvent* e)
{
    if (FDragging) {
        FDragging = false;
        setCursor(Qt::OpenHandCursor);
    }
    QWidget::mouseReleaseEvent(e);
}

void TplPageView::contextMenuEvent(QContextMenuEvent* e)
{
    FForm->PopupMenu()->exec(e->globalPos());
}
