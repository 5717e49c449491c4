#include "export/OutCsvBase.h"

#include "app/MsgBox.h"
#include "app/LongOperation.h"
#include "controls/NumberEdit.h"
#include "controls/Widgets.h"
#include "db/Errors.h"
#include "db/Records.h"
#include "patient/FrmSrcKanjaU.h"
#include "patient/PatientHeader.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

TFrmOutCsvBase::TFrmOutCsvBase(QWidget* parent, const QString& objectName, const QString& title,
                               const QString& delCaption, const QString& intro)
    : TFrmOBase(parent)
{
    setObjectName(objectName);
    setWindowTitle(title);
    QWidget* b = body();
    auto* root = new QVBoxLayout(b);
    root->setContentsMargins(12, 12, 12, 8);

    FConditions = new QGridLayout;
    FConditions->setVerticalSpacing(6);
    nedtID = newPatientIdEdit(b);
    bbtnIdSrc = new QToolButton(b);
    bbtnIdSrc->setObjectName(QStringLiteral("bbtnIdSrc"));
    bbtnIdSrc->setText(QStringLiteral("検索"));
    auto* idRow = new QHBoxLayout;
    idRow->addWidget(nedtID);
    idRow->addWidget(bbtnIdSrc);
    idRow->addStretch();
    const int idLine = intro.isEmpty() ? 0 : 1;
    if (!intro.isEmpty())
        FConditions->addWidget(widgets::label(b, intro), 0, 0, 1, 4);
    FConditions->addWidget(widgets::caption(b, QStringLiteral("患者ＩＤ")), idLine, 0);
    FConditions->addLayout(idRow, idLine, 1);
    root->addLayout(FConditions);
    cbDispDel = new QCheckBox(delCaption, b);
    cbDispDel->setObjectName(QStringLiteral("cbDispDel"));
    root->addWidget(cbDispDel);
    root->addStretch();

    bbtnCSV = widgets::button(b, QStringLiteral("bbtnCSV"), QStringLiteral(" CSV出力"));
    bbtnClose = widgets::button(b, QStringLiteral("bbtnClose"), QStringLiteral(" 閉じる"));
    for (QPushButton* p : {bbtnCSV, bbtnClose})
        p->setMinimumSize(110, 32);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(bbtnCSV);
    buttons->addWidget(bbtnClose);
    root->addLayout(buttons);

    connect(bbtnIdSrc, &QToolButton::clicked, this, &TFrmOutCsvBase::bbtnIdSrcClick);
    connect(bbtnCSV, &QPushButton::clicked, this, &TFrmOutCsvBase::bbtnCSVClick);
    connect(bbtnClose, &QPushButton::clicked, this, &QDialog::close);
    nedtID->setFocus();
}

void TFrmOutCsvBase::bbtnIdSrcClick()
{
    TFrmSrcKanja dlg(this);
    if (dlg.exec() == QDialog::Accepted)
        nedtID->setAsInt64(dlg.FintID);
}

void TFrmOutCsvBase::bbtnCSVClick()
{
    int count = 0;
    // Stopped while the entries load: nothing has been touched, nothing to say.
    if (!runLong(this, QStringLiteral("出力するデータを抽出しています。"), [&](TLongOperation&) { count = loadEntries(); }))
        return;
    if (count == 0) {
        msg::information(this, QStringLiteral("対象となるデータは抽出されませんでした。"));
        return;
    }
    const QString path = FAskSaveFile(this, fileName(), filterTitle());
    if (path.isEmpty())
        return;
    try {
        TLongOperation op(this, QStringLiteral("CSVファイルを出力しています。"));
        const QStringList lines = buildLines();
        op.setStage(QStringLiteral("CSVファイルを出力しています。"), int(lines.size()));
        if (!csv::writeReporting(this, path, lines, [&op](int written) { op.step(written); }))
            return;
    } catch (const ECancelled&) {
        msg::information(this, kCancelledExport);
        return;
    }
    msg::information(this, QStringLiteral("出力しました。"));
}

namespace outcsv {

QString dateCell(const QDateTime& d)
{
    return d.isValid() && !rec::isAbsentDate(d.date()) ? d.toString(QStringLiteral("yyyy/MM/dd")) : QString();
}

QString timeCell(const QDateTime& d)
{
    return d.isValid() && !rec::isAbsentDate(d.date()) ? d.toString(QStringLiteral("yyyy/MM/dd hh:mm:ss")) : QString();
}

QString patientCondition(qint64 id)
{
    return csv::line({csv::quoted(QStringLiteral("患者ID")),
                      id != 0 ? QString::number(id) : csv::quoted(QStringLiteral("全て"))});
}

QString markCell(bool set, const QString& mark) { return csv::quoted(set ? mark : QString()); }

QString headerLine(const QStringList& titles)
{
    QStringList cells;
    for (const QString& t : titles)
        cells << csv::quoted(t);
    return csv::line(cells);
}

} // namespace outcsv
