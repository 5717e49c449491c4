#pragma once
// TplPrevForm: the preview window of TplPrev. Opened by TplPrev::ShowModal();
// shows one recorded page at a time with page navigation, zoom, printing
// and saving as PDF.

#include <QDialog>
#include <functional>

class QAction;
class QLabel;
class QMenu;
class QPrinter;
class QScrollArea;
class QStatusBar;
class QToolBar;
class TplPrev;
class TplPageView;

class TplPrevForm : public QDialog {
    Q_OBJECT
public:
    TplPrevForm(TplPrev* prev, QWidget* parent = nullptr);
    ~TplPrevForm() override;

    // Tool bar commands (also reachable as the actions named btnPrint,
    // btnPdf, btnPrinterSetup, btnFirst, btnPrior, btnNext, btnLast,
    // btnZoomDown, btnZoomUp, btnWholePage, btnPageWidth, btnHelp,
    // btnAbout, btnClose).
    void PrintClick();
    void PdfClick();
    void PrinterSetupClick();
    void FirstPage();
    void PriorPage();
    void NextPage();
    void LastPage();
    void ZoomDown();
    void ZoomUp();
    void WholePage();
    void PageWidth();
    // The program's help file, or a short note on the preview's buttons
    // and keys when there is none; the version dialog.
    void HelpClick();
    void AboutClick();

    // Writes the document to the file, reports the outcome; true on success.
    bool SavePdfTo(const QString& fileName);
    // Asks for the PDF file name; replaceable (tests). Gets the proposed
    // name, returns the chosen path or "" when cancelled.
    std::function<QString(QWidget* parent, const QString& proposed)> FAskPdfFileName;

    QAction* Action(const QString& objectName) const;
    QMenu* PopupMenu() const { return FPopup; }
    QSize ImageSize() const { return {FImgW, FImgH}; }
    QString StatusText(int panel) const;
    TplPageView* View() const { return FView; }
    QScrollArea* ScrollBox() const { return FScroll; }

    // Copies for the pop-up menu.
    void CopyPage();
    void CopyWindow();
    void PrintWindow();
    // Prints the window's picture on the printer; a failure is reported.
    bool PrintWindowTo(QPrinter& printer);

protected:
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void moveEvent(QMoveEvent* e) override;

private:
    QAction* addButton(const QString& name, const QString& text, const QString& hint, bool visible);
    void showPage();
    void layoutView();
    void updateButtons();
    double ratio() const;
    void setScrollBars(bool on);

    TplPrev* FPrev;
    QToolBar* FToolBar = nullptr;
    QScrollArea* FScroll = nullptr;
    TplPageView* FView = nullptr;
    QStatusBar* FStatus = nullptr;
    QLabel* FPanel1 = nullptr;
    QLabel* FPanel2 = nullptr;
    QMenu* FPopup = nullptr;
    int FImgW = 100;
    int FImgH = 141;
    bool FShown = false;
};

// The page inside the scroll box: drop shadow, one-pixel frame, the page.
class TplPageView : public QWidget {
    Q_OBJECT
public:
    TplPageView(TplPrev* prev, TplPrevForm* form, QWidget* parent);
    QRect ImageRect() const;

protected:
    void paintEvent(QPaintEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    TplPrev* FPrev;
    TplPrevForm* FForm;
    QPoint FDragStart;
    QPoint FScrollStart;
    bool FDragging = false;
};
