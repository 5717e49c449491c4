#include "summary/FrmDspUnsavedU.h"

#include "app/Theme.h"
#include "app/TextUtil.h"
#include "controls/Widgets.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextDocument>
#include <QScrollArea>
#include <QVBoxLayout>

TFrmDspUnsaved::TFrmDspUnsaved(QWidget* parent) : TFrmOBase(parent)
{
    setObjectName(QStringLiteral("TFrmDspUnsaved"));
    setWindowTitle(QStringLiteral("保存されなかった入力"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    theme::setBackground(this, theme::kCream);

    QWidget* b = body();
    auto* root = new QVBoxLayout(b);
    root->setContentsMargins(12, 10, 12, 8);
    root->setSpacing(6);
    root->addWidget(widgets::heading(b, QStringLiteral("保存されなかった入力"), QStringLiteral("lblTitle")));
    lblNote = widgets::label(b, QString(), QStringLiteral("lblNote"));
    lblNote->setWordWrap(true);
    root->addWidget(lblNote);

    auto* scroll = new QScrollArea(b);
    scroll->setObjectName(QStringLiteral("sbxTexts"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    FList = new QWidget(scroll);
    FList->setObjectName(QStringLiteral("pnlTexts"));
    FListLayout = new QVBoxLayout(FList);
    FListLayout->setContentsMargins(0, 0, 0, 0);
    FListLayout->setSpacing(2);
    scroll->setWidget(FList);
    root->addWidget(scroll, 1);

    bbtnClose = widgets::button(b, QStringLiteral("bbtnClose"), QStringLiteral("閉じる"));
    bbtnClose->setMinimumSize(96, 32);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(bbtnClose);
    root->addLayout(buttons);
    connect(bbtnClose, &QPushButton::clicked, this, &QDialog::close);
    resize(640, 600);
}

void TFrmDspUnsaved::setTexts(const QList<TUnsavedText>& texts, const QString& note)
{
    lblNote->setText(note);
    for (QWidget* w : FList->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        delete w;
    while (QLayoutItem* item = FListLayout->takeAt(0))
        delete item;
    for (const TUnsavedText& t : texts) {
        auto* head = new QWidget(FList);
        auto* h = new QHBoxLayout(head);
        h->setContentsMargins(0, 4, 0, 0);
        QLabel* caption = widgets::label(head, t.caption);
        QFont f = caption->font();
        f.setBold(true);
        caption->setFont(f);
        h->addWidget(caption);
        h->addStretch(1);
        QPushButton* copy = widgets::button(head, QStringLiteral("bbtnCopy") + t.name, QStringLiteral("コピー"),
                                            QStringLiteral("この入力をクリップボードにコピーします。"));
        h->addWidget(copy);
        FListLayout->addWidget(head);

        auto* box = new QPlainTextEdit(FList);
        box->setObjectName(QStringLiteral("memUnsaved") + t.name);
        box->setReadOnly(true);
        box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        box->setLineWrapMode(QPlainTextEdit::NoWrap);
        box->setPlainText(t.text);
        // The text of a one-line field gets a low box; the narratives share the rest.
        if (t.oneLine)
            box->setFixedHeight(box->fontMetrics().lineSpacing() + box->horizontalScrollBar()->sizeHint().height()
                                + 2 * box->frameWidth() + 8);
        else
            box->setMinimumHeight(110);
        FListLayout->addWidget(box, t.oneLine ? 0 : 1);
        connect(copy, &QPushButton::clicked, box, [box] {
            QGuiApplication::clipboard()->setText(textutil::memoText(box->document()->toRawText()));
        });
    }
}

QPlainTextEdit* TFrmDspUnsaved::textBox(const QString& name) const
{
    return FList->findChild<QPlainTextEdit*>(QStringLiteral("memUnsaved") + name);
}
