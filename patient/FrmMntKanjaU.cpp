#include "patient/FrmMntKanjaU.h"

#include "app/CommonU.h"
#include "app/Globals.h"
#include "app/MsgBox.h"
#include "app/TextUtil.h"
#include "app/Theme.h"
#include "app/UntDM.h"
#include "controls/FieldText.h"
#include "app/WriteRunner.h"
#include "db/KanjaRecord.h"
#include "controls/DateEdit.h"
#include "controls/EraText.h"
#include "controls/NumberEdit.h"
#include "controls/Widgets.h"
#include "db/Errors.h"
#include "db/Query.h"
#include "db/Records.h"
#include "patient/FrmOutKanjaU.h"
#include "patient/FrmReKanjaU.h"
#include "patient/PatientHeader.h"
#include "patient/FrmSrcKanjaU.h"

#include <QButtonGroup>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// The current revision of a patient.
void openCurrent(TQuery& q, qint64 id)
{
    q.setSql(R"(SELECT * FROM "KLOV"."M_KANJA" WHERE "ID" = :ID AND "ACTKBN" = 1 AND "DELKBN" = 0)");
    q.setInt64("ID", id);
    q.open();
}

} // namespace

// ---------------------------------------------------------------- automatic kana

TAutoKana::TAutoKana(QLineEdit* name, QLineEdit* kana, QObject* parent)
    : QObject(parent), FName(name), FKana(kana)
{
    FName->installEventFilter(this);
    connect(FName, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (text.isEmpty()) {
            FKana->clear();
            FReading.clear();
        }
    });
}

QString TAutoKana::toKatakana(const QString& text)
{
    // Half-width katakana U+FF66 to U+FF9D in code order.
    static const QString halfWidth = QStringLiteral(
        "ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワン");
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u >= 0x3041 && u <= 0x3096) || u == 0x309D || u == 0x309E) {
            out += QChar(char16_t(u + 0x60));
        } else if (u >= 0xFF66 && u <= 0xFF9D) {
            out += halfWidth.at(u - 0xFF66);
        } else if (u == 0xFF9E || u == 0xFF9F) {
            // A separate (semi-)voiced mark joins the kana before it when it can.
            const char16_t prev = out.isEmpty() ? 0 : out.back().unicode();
            const bool ha = prev >= 0x30CF && prev <= 0x30DB && (prev - 0x30CF) % 3 == 0;
            const bool kaToTo = prev >= 0x30AB && prev <= 0x30C8 && prev != 0x30C3 && (prev < 0x30C3 ? prev % 2 == 1 : prev % 2 == 0);
            if (u == 0xFF9E && (ha || kaToTo))
                out.back() = QChar(char16_t(prev + 1));
            else if (u == 0xFF9E && prev == 0x30A6)
                out.back() = QChar(char16_t(0x30F4));
            else if (u == 0xFF9F && ha)
                out.back() = QChar(char16_t(prev + 2));
            else
                out += QChar(char16_t(u == 0xFF9E ? 0x309B : 0x309C));
        } else {
            out += c;
        }
    }
    return out;
}

bool TAutoKana::isReading(const QString& text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool kana = (u >= 0x3041 && u <= 0x309F)     // hiragana
                          || (u >= 0x30A0 && u <= 0x30FF)  // katakana, ー
                          || (u >= 0xFF66 && u <= 0xFF9F); // half-width katakana
        if (!kana)
            return false;
    }
    return true;
}

bool TAutoKana::eventFilter(QObject* watched, QEvent* event)
{
    // Only the focused edit receives input-method events, so every event
    // seen here belongs to a composition in the name field.
    if (watched == FName && event->type() == QEvent::InputMethod) {
        const auto* im = static_cast<QInputMethodEvent*>(event);
        if (!im->commitString().isEmpty()) {
            const QString reading = toKatakana(FReading);
            FKana->setText(FKana->text() + (reading.isEmpty() ? QStringLiteral(" ") : reading));
            FReading.clear();
        }
        // While the input method converts, the pre-edit shows the candidate
        // (kanji); the reading is the last pre-edit that was still kana.
        const QString preedit = im->preeditString();
        if (isReading(preedit))
            FReading = preedit;
        else if (preedit.isEmpty())
            FReading.clear();
    }
    return QObject::eventFilter(watched, event);
}

// ---------------------------------------------------------------- form

TFrmMntKanja::TFrmMntKanja(QWidget* parent) : TFrmOBase(parent)
{
    theme::setupCreamForm(this, QStringLiteral("TFrmMntKanja"), QStringLiteral("患者メンテナンス"));

    QWidget* b = body();
    auto* root = new QVBoxLayout(b);
    root->setContentsMargins(12, 10, 12, 8);
    root->setSpacing(8);

    auto imeOff = [](QWidget* w) { w->setAttribute(Qt::WA_InputMethodEnabled, false); };
    // Japanese text typed through the input method (hiragana mode).
    auto hiragana = [](QWidget* w) { widgets::hiraganaInput(w); };
    // Readings typed as kana: no predictive conversion to kanji.
    auto katakana = [](QWidget* w) {
        w->setAttribute(Qt::WA_InputMethodEnabled, true);
        w->setInputMethodHints(Qt::ImhNoPredictiveText);
    };
    auto edit = [b](const QString& name, int maxLength, int width) {
        auto* e = new QLineEdit(b);
        e->setObjectName(name);
        fieldText::setTypingLimit(e, maxLength);
        e->setMinimumWidth(width);
        return e;
    };
    auto caption = [b](const QString& text) {
        auto* l = new QLabel(text, b);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return l;
    };

    // --- number, search, badge
    auto* top = new QHBoxLayout;
    nedtID = newPatientIdEdit(b);
    sbSrc = new QToolButton(b);
    sbSrc->setObjectName(QStringLiteral("sbSrc"));
    sbSrc->setText(QStringLiteral("患者検索"));
    sbSrc->setFocusPolicy(Qt::NoFocus);
    sbSrc->setMinimumHeight(24);

    shpSts = new QFrame(b);
    shpSts->setObjectName(QStringLiteral("shpSts"));
    shpSts->setFixedSize(84, 24);
    shpSts->setAutoFillBackground(true);
    auto* stsLayout = new QHBoxLayout(shpSts);
    stsLayout->setContentsMargins(0, 0, 0, 0);
    lblSts = new QLabel(shpSts);
    lblSts->setObjectName(QStringLiteral("lblSts"));
    lblSts->setAlignment(Qt::AlignCenter);
    QFont stsFont = lblSts->font();
    stsFont.setPixelSize(14);
    stsFont.setBold(true);
    lblSts->setFont(stsFont);
    stsLayout->addWidget(lblSts);

    lblKLinkMes = new QLabel(b);
    lblKLinkMes->setObjectName(QStringLiteral("lblKLinkMes"));
    QPalette red = lblKLinkMes->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    lblKLinkMes->setPalette(red);

    top->addWidget(caption(QStringLiteral("患者番号")));
    top->addWidget(nedtID);
    top->addWidget(sbSrc);
    top->addSpacing(16);
    top->addWidget(shpSts);
    top->addStretch();
    root->addLayout(top);
    root->addWidget(lblKLinkMes);

    // --- patient fields
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(6);
    edtKana = edit(QStringLiteral("edtKana"), 50, 300);
    katakana(edtKana);
    edtName = edit(QStringLiteral("edtName"), 50, 300);
    hiragana(edtName);

    rgSex = new QGroupBox(b);
    rgSex->setObjectName(QStringLiteral("rgSex"));
    auto* sexLayout = new QHBoxLayout(rgSex);
    sexLayout->setContentsMargins(8, 2, 8, 2);
    rbMale = new QRadioButton(QStringLiteral("男性"), rgSex);
    rbMale->setObjectName(QStringLiteral("rbMale"));
    rbFemale = new QRadioButton(QStringLiteral("女性"), rgSex);
    rbFemale->setObjectName(QStringLiteral("rbFemale"));
    sexLayout->addWidget(rbMale);
    sexLayout->addSpacing(16);
    sexLayout->addWidget(rbFemale);
    sexLayout->addStretch();
    FSexGroup = new QButtonGroup(this);
    FSexGroup->addButton(rbMale, 0);
    FSexGroup->addButton(rbFemale, 1);
    rbMale->setChecked(true);

    pdeBirth = new TplDateEdit(b);
    pdeBirth->setObjectName(QStringLiteral("pdeBirth"));
    pdeBirth->setEditStyle(desYearMonthDay);
    pdeBirth->setEditGengo(true);
    pdeBirth->setCanEmpty(true);
    pdeBirth->setExitCheck(true);
    lblAGE = new QLabel(b);
    lblAGE->setObjectName(QStringLiteral("lblAGE"));
    lblAGE->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblAGE->setMinimumWidth(30);
    lblBIRTH = new QLabel(b);
    lblBIRTH->setObjectName(QStringLiteral("lblBIRTH"));
    lblBIRTH->setMinimumWidth(180);
    auto* birthRow = new QHBoxLayout;
    birthRow->addWidget(pdeBirth);
    birthRow->addSpacing(12);
    birthRow->addWidget(lblAGE);
    birthRow->addWidget(new QLabel(QStringLiteral("歳"), b));
    birthRow->addSpacing(12);
    birthRow->addWidget(lblBIRTH);
    birthRow->addStretch();

    edtPost = edit(QStringLiteral("edtPost"), 10, 90);
    edtPost->setMaximumWidth(90);
    imeOff(edtPost);
    edtPost->setInputMethodHints(Qt::ImhPreferNumbers);
    auto* postRow = new QHBoxLayout;
    postRow->addWidget(edtPost);
    postRow->addWidget(new QLabel(QStringLiteral("(XXX-XXXX)"), b));
    postRow->addStretch();
    edtAdr1 = edit(QStringLiteral("edtAdr1"), 50, 420);
    hiragana(edtAdr1);
    edtAdr2 = edit(QStringLiteral("edtAdr2"), 50, 420);
    hiragana(edtAdr2);
    edtTEL = edit(QStringLiteral("edtTEL"), 20, 150);
    edtKeitai = edit(QStringLiteral("edtKeitai"), 20, 150);
    edtFAX = edit(QStringLiteral("edtFAX"), 20, 150);
    for (QLineEdit* e : {edtTEL, edtKeitai, edtFAX}) {
        imeOff(e);
        e->setInputMethodHints(Qt::ImhDialableCharactersOnly);
        e->setMaximumWidth(150);
    }
    edtEMail = edit(QStringLiteral("edtEMail"), 50, 320);
    imeOff(edtEMail);
    edtEMail->setInputMethodHints(Qt::ImhEmailCharactersOnly);
    edtBiko = edit(QStringLiteral("edtBiko"), 100, 420);
    hiragana(edtBiko);

    auto* telRow = new QHBoxLayout;
    telRow->addWidget(edtTEL);
    telRow->addSpacing(12);
    telRow->addWidget(new QLabel(QStringLiteral("携帯番号"), b));
    telRow->addWidget(edtKeitai);
    telRow->addStretch();

    int r = 0;
    grid->addWidget(caption(QStringLiteral("カナ")), r, 0);
    grid->addWidget(edtKana, r++, 1, Qt::AlignLeft);
    grid->addWidget(caption(QStringLiteral("氏名")), r, 0);
    grid->addWidget(edtName, r++, 1, Qt::AlignLeft);
    grid->addWidget(caption(QStringLiteral("性別")), r, 0);
    grid->addWidget(rgSex, r++, 1, Qt::AlignLeft);
    grid->addWidget(caption(QStringLiteral("生年月日")), r, 0);
    grid->addLayout(birthRow, r++, 1);
    grid->addWidget(caption(QStringLiteral("郵便番号")), r, 0);
    grid->addLayout(postRow, r++, 1);
    grid->addWidget(caption(QStringLiteral("住所１")), r, 0);
    grid->addWidget(edtAdr1, r++, 1);
    grid->addWidget(caption(QStringLiteral("住所２")), r, 0);
    grid->addWidget(edtAdr2, r++, 1);
    grid->addWidget(caption(QStringLiteral("電話番号")), r, 0);
    grid->addLayout(telRow, r++, 1);
    grid->addWidget(caption(QStringLiteral("FAX番号")), r, 0);
    grid->addWidget(edtFAX, r++, 1, Qt::AlignLeft);
    grid->addWidget(caption(QStringLiteral("E-Mail")), r, 0);
    grid->addWidget(edtEMail, r++, 1, Qt::AlignLeft);
    grid->addWidget(caption(QStringLiteral("備考")), r, 0);
    grid->addWidget(edtBiko, r++, 1);
    grid->setColumnStretch(1, 1);
    root->addLayout(grid);
    root->addStretch();

    // --- buttons
    auto button = [b](const QString& name, const QString& text) {
        auto* p = new QPushButton(text, b);
        p->setObjectName(name);
        p->setAutoDefault(false);
        p->setMinimumSize(96, 30);
        return p;
    };
    bbtnInsert = button(QStringLiteral("bbtnInsert"), QStringLiteral("　更　新"));
    bbtnDelete = button(QStringLiteral("bbtnDelete"), QStringLiteral("　削　除"));
    bbtnRe = button(QStringLiteral("bbtnRe"), QStringLiteral("更新履歴"));
    bbtnOut = button(QStringLiteral("bbtnOut"), QStringLiteral("出力処理"));
    bbtnClose = button(QStringLiteral("bbtnClose"), QStringLiteral("閉じる"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(bbtnInsert);
    buttons->addWidget(bbtnDelete);
    buttons->addSpacing(24);
    buttons->addWidget(bbtnRe);
    buttons->addWidget(bbtnOut);
    buttons->addStretch();
    buttons->addWidget(bbtnClose);
    root->addLayout(buttons);

    setTabOrder(nedtID, edtKana);
    setTabOrder(edtKana, edtName);
    setTabOrder(edtName, rbMale);
    setTabOrder(rbMale, pdeBirth);
    setTabOrder(pdeBirth, edtPost);
    setTabOrder(edtPost, edtAdr1);
    setTabOrder(edtAdr1, edtAdr2);
    setTabOrder(edtAdr2, edtTEL);
    setTabOrder(edtTEL, edtKeitai);
    setTabOrder(edtKeitai, edtFAX);
    setTabOrder(edtFAX, edtEMail);
    setTabOrder(edtEMail, edtBiko);
    setTabOrder(edtBiko, bbtnInsert);

    new TAutoKana(edtName, edtKana, this);
    connect(nedtID, &TNumberEdit::exited, this, &TFrmMntKanja::nedtIDExit);
    connect(pdeBirth, &TplDateEdit::exited, this, &TFrmMntKanja::pdeBirthExit);
    connect(bbtnInsert, &QPushButton::clicked, this, &TFrmMntKanja::bbtnInsertClick);
    connect(bbtnDelete, &QPushButton::clicked, this, &TFrmMntKanja::bbtnDeleteClick);
    connect(sbSrc, &QToolButton::clicked, this, &TFrmMntKanja::sbSrcClick);
    connect(bbtnRe, &QPushButton::clicked, this, &TFrmMntKanja::bbtnReClick);
    connect(bbtnClose, &QPushButton::clicked, this, &QDialog::close);
    connect(bbtnOut, &QPushButton::clicked, this, [this] {
        TFrmOutKanja dlg(this);
        dlg.exec();
    });

    resize(660, 460);
}

TFrmMntKanja::~TFrmMntKanja() = default;

void TFrmMntKanja::showEvent(QShowEvent* e)
{
    TFrmOBase::showEvent(e);
    if (FFirstShown)
        return;
    FFirstShown = true;
    lblKLinkMes->setText(G().qarnLink ? QStringLiteral("患者連携しているため登録・修正はQARNで行ってください")
                                      : QString());
    LoadKanja();
    nedtID->setFocus();
}

int TFrmMntKanja::sexIndex() const { return FSexGroup->checkedId(); }

void TFrmMntKanja::setSexIndex(int index)
{
    if (QAbstractButton* rb = FSexGroup->button(index)) {
        rb->setChecked(true);
        return;
    }
    // A code the group has no item for (from the sibling system): none checked.
    FSexGroup->setExclusive(false);
    rbMale->setChecked(false);
    rbFemale->setChecked(false);
    FSexGroup->setExclusive(true);
}

void TFrmMntKanja::setBadge(bool update)
{
    QPalette p = shpSts->palette();
    p.setColor(QPalette::Window, update ? QColor(0, 128, 0) : QColor(0, 0, 255));
    shpSts->setPalette(p);
    QPalette t = lblSts->palette();
    t.setColor(QPalette::WindowText, Qt::white);
    lblSts->setPalette(t);
    lblSts->setText(update ? QStringLiteral("更　新") : QStringLiteral("新　規"));
}

void TFrmMntKanja::showBirth(const QDate& birth)
{
    if (!birth.isValid()) {
        lblAGE->clear();
        lblBIRTH->clear();
        return;
    }
    lblAGE->setText(QString::number(CommonU::AgeYears(QDate::currentDate(), birth)));
    lblBIRTH->setText(eraText::birthText(birth));
}

void TFrmMntKanja::LoadKanja()
{
    const qint64 id = nedtID->asInt64();
    shpSts->setVisible(id != 0);
    try {
        CommonU::RefreshPatientFromQarn(id);
        TQuery q(&dm().ADOCPOST);
        openCurrent(q, id);
        const bool found = !q.eof();
        bbtnDelete->setEnabled(found);
        setBadge(found);
        FLoadedID = id;
        FLoadedRNO = found ? q.field("RNO").asInteger() : 0;
        if (!found) {
            edtName->clear();
            for (QLineEdit* e : {edtKana, edtPost, edtAdr1, edtAdr2, edtTEL, edtKeitai, edtFAX, edtEMail, edtBiko})
                e->clear();
            FLoadedSex = 0;
            setSexIndex(0);
            pdeBirth->setEditEmpty();
            showBirth({});
            return;
        }
        fieldText::showStored(edtName, q.field("KNJNAME").asString());
        fieldText::showStored(edtKana, q.field("KNJKANA").asString());
        FLoadedSex = q.field("SEX").isNull() ? -1 : q.field("SEX").asInteger();
        setSexIndex(FLoadedSex);
        const QDate birth = rec::storedDate(q.field("BIRTH"));
        // A date the field refuses (it has said why) leaves it empty, never
        // with the previous patient's date.
        if (!birth.isValid() || !pdeBirth->setDate(birth))
            pdeBirth->setEditEmpty();
        fieldText::showStored(edtPost, q.field("POSTCD").asString());
        fieldText::showStored(edtAdr1, q.field("ADR1").asString());
        fieldText::showStored(edtAdr2, q.field("ADR2").asString());
        fieldText::showStored(edtTEL, q.field("TEL").asString());
        fieldText::showStored(edtKeitai, q.field("KEITAI").asString());
        fieldText::showStored(edtFAX, q.field("FAX").asString());
        fieldText::showStored(edtEMail, q.field("MAIL").asString());
        fieldText::showStored(edtBiko, q.field("BIKO").asString());
        showBirth(birth);
    } catch (const std::exception& e) {
        msg::warning(this, errorWarningText(e));
    }
}

void TFrmMntKanja::nedtIDExit()
{
    // Passing through the field without changing the number keeps what the
    // user has typed into the other fields.
    if (nedtID->asInt64() != FLoadedID)
        LoadKanja();
}

void TFrmMntKanja::pdeBirthExit()
{
    showBirth(pdeBirth->isEmpty() ? QDate() : pdeBirth->storedDateTime().date());
}

TFrmMntKanja::TValues TFrmMntKanja::formValues() const
{
    TValues v;
    v.kana = textutil::trimLeft(edtKana->text());
    v.name = textutil::trimLeft(edtName->text());
    v.post = textutil::trimLeft(edtPost->text());
    v.adr1 = textutil::trimLeft(edtAdr1->text());
    v.adr2 = textutil::trimLeft(edtAdr2->text());
    v.tel = textutil::trimLeft(edtTEL->text());
    v.keitai = textutil::trimLeft(edtKeitai->text());
    v.fax = textutil::trimLeft(edtFAX->text());
    v.mail = textutil::trimLeft(edtEMail->text());
    v.biko = textutil::trimLeft(edtBiko->text());
    v.sex = sexIndex() >= 0 ? sexIndex() : FLoadedSex;
    v.birth = pdeBirth->isEmpty() ? QDate() : pdeBirth->storedDateTime().date();
    return v;
}

bool TFrmMntKanja::unchanged(qint64 id, const TValues& v)
{
    TQuery q(&dm().ADOCPOST);
    openCurrent(q, id);
    if (q.eof())
        return false;
    auto same = [&q](const char* field, const QString& value) {
        return textutil::trimLeft(q.field(QString::fromLatin1(field)).asString()) == value;
    };
    const int storedSex = q.field("SEX").isNull() ? -1 : q.field("SEX").asInteger();
    return same("KNJKANA", v.kana) && same("KNJNAME", v.name) && storedSex == v.sex
           && rec::storedDate(q.field("BIRTH")) == v.birth && same("POSTCD", v.post) && same("ADR1", v.adr1)
           && same("ADR2", v.adr2) && same("TEL", v.tel) && same("KEITAI", v.keitai) && same("FAX", v.fax)
           && same("MAIL", v.mail) && same("BIKO", v.biko);
}

bool TFrmMntKanja::save(qint64 id, const TValues& v)
{
    const qint64 loadedRno = id == FLoadedID ? FLoadedRNO : -1;
    const TWriteResult r = runWrite(this, [&](TConnection& conn) {
        TQuery q(&conn);
        openCurrent(q, id);
        const int rno = q.eof() ? 0 : q.field("RNO").asInteger();
        q.close();
        // The revision shown must still be the current one (none for a new
        // patient): another workstation may have changed or registered it.
        if (rno != loadedRno)
            throw EConflictError(QStringLiteral("patient %1: revision %2 shown, %3 current").arg(id).arg(loadedRno).arg(rno));
        if (rno > 0) {
            q.setSql(R"(UPDATE "KLOV"."M_KANJA" SET "ACTKBN" = 0, "UPDDTM" = NOW(), "UPDUSERID" = :UPDUSERID
                        WHERE "ID" = :ID AND "RNO" = :RNO AND "ACTKBN" = 1 AND "DELKBN" = 0)");
            q.setText("UPDUSERID", G().user.userId, 24);
            q.setInt64("ID", id);
            q.setInt("RNO", rno);
            q.execSqlExpect(1);
        }
        insertKanjaRevision(conn, id, {v.kana, v.name, v.post, v.adr1, v.adr2, v.tel, v.keitai, v.fax, v.mail, v.biko,
                                       v.sex, v.birth},
                            G().user.userId);
    }, {QStringLiteral("更新に失敗しました。"), TTxMode::Join});
    if (r == TWriteResult::Conflict)
        LoadKanja();
    return r == TWriteResult::Done;
}

void TFrmMntKanja::bbtnInsertClick()
{
    const qint64 id = nedtID->asInt64();
    if (id == 0) {
        msg::warning(this, QStringLiteral("患者番号が未入力です。"));
        nedtID->setFocus();
        return;
    }
    if (textutil::trimLeft(edtName->text()).isEmpty()) {
        msg::warning(this, QStringLiteral("氏名が未入力です。"));
        edtName->setFocus();
        return;
    }
    if (!pdeBirth->check())
        return;   // the date edit has reported what is wrong
    if (pdeBirth->isEmpty()) {
        msg::warning(this, QStringLiteral("生年月日が未入力です。"));
        pdeBirth->setFocus();
        return;
    }
    if (!msg::question(this, QStringLiteral("更新します。\r\nよろしいですか？")))
        return;
    const TValues v = formValues();
    try {
        if (unchanged(id, v))
            return;
    } catch (const std::exception& e) {
        msg::warning(this, errorWarningText(e));
        return;
    }
    if (save(id, v))
        LoadKanja();
    nedtID->setFocus();
}

bool TFrmMntKanja::remove(qint64 id)
{
    const qint64 loadedRno = id == FLoadedID ? FLoadedRNO : -1;
    const TWriteResult r = runWrite(this, [&](TConnection& conn) {
        TQuery q(&conn);
        q.setSql(R"(UPDATE "KLOV"."M_KANJA" SET "DELKBN" = 1, "ACTKBN" = 0, "UPDDTM" = NOW(), "UPDUSERID" = :UPDUSERID
                    WHERE "ID" = :ID AND "ACTKBN" = 1 AND "DELKBN" = 0 AND "RNO" = :RNO)");
        q.setText("UPDUSERID", G().user.userId, 24);
        q.setInt64("ID", id);
        q.setInt("RNO", int(loadedRno));
        q.execSqlExpect(1);
    }, {QStringLiteral("削除に失敗しました。"), TTxMode::Join});
    if (r == TWriteResult::Conflict)
        LoadKanja();
    return r == TWriteResult::Done;
}

void TFrmMntKanja::bbtnDeleteClick()
{
    const qint64 id = nedtID->asInt64();
    try {
        TQuery q(&dm().ADOCPOST);
        openCurrent(q, id);
        if (q.eof()) {
            msg::warning(this, QStringLiteral("存在しない患者番号です。"));
            return;
        }
        q.setSql(R"(SELECT "KNO" FROM "KLOV"."D_TAIYOU" WHERE "ID" = :ID LIMIT 1)");
        q.setInt64("ID", id);
        q.open();
        if (!q.eof()) {
            msg::warning(this, QStringLiteral("この患者の退院サマリ情報があります。削除できません。"));
            return;
        }
    } catch (const std::exception& e) {
        msg::warning(this, errorWarningText(e));
        return;
    }
    if (!msg::question(this, QStringLiteral("削除します。\r\nよろしいですか？")))
        return;
    if (!remove(id))
        return;
    shpSts->hide();
    LoadKanja();
    nedtID->setFocus();
}

void TFrmMntKanja::sbSrcClick()
{
    TFrmSrcKanja dlg(this);
    if (dlg.exec() != QDialog::Accepted)
        return;
    nedtID->setAsInt64(dlg.FintID);
    LoadKanja();
}

void TFrmMntKanja::bbtnReClick()
{
    TFrmReKanja dlg(this);
    dlg.FintID = nedtID->asInt64();
    dlg.exec();
}
