#include "export/FhirExport.h"

#include "app/CommonU.h"
#include "app/Globals.h"
#include "app/MsgBox.h"
#include "app/UntDM.h"
#include "app/WaitCursor.h"
#include "db/Errors.h"
#include "db/Query.h"
#include "db/Records.h"
#include "main/PrtTaiyouU.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>
#include <QUuid>

namespace fhir {

namespace {

// ---- fixed values of the document -----------------------------------------

const QString kDocTypeSystem = QStringLiteral("http://jpfhir.jp/fhir/Common/CodeSystem/doc-typecodes");
const QString kDocTypeCode = QStringLiteral("18842-5");
const QString kTitle = QStringLiteral("退院時サマリー");
const QString kSectionSystem = QStringLiteral("http://jpfhir.jp/fhir/eClinicalSummary/CodeSystem/document-section");
const QString kVersionExtension =
    QStringLiteral("http://hl7.org/fhir/StructureDefinition/composition-clinicaldocument-versionNumber");
const QString kInstanceIdSystem = QStringLiteral("http://jpfhir.jp/fhir/core/IdSystem/resourceInstance-identifier");
const QString kInstitutionSystem = QStringLiteral("http://jpfhir.jp/fhir/core/IdSystem/insurance-medical-institution-no");
// Patient and staff numbers of one institution: the OID followed by its
// 10-digit number.
const QString kPatientIdOid = QStringLiteral("urn:oid:1.2.392.100495.20.3.51.1");
const QString kStaffIdOid = QStringLiteral("urn:oid:1.2.392.100495.20.3.41.1");
const QString kNameRepresentation = QStringLiteral("http://hl7.org/fhir/StructureDefinition/iso21090-EN-representation");
const QString kEmptyReasonSystem = QStringLiteral("http://terminology.hl7.org/CodeSystem/list-empty-reason");
const QString kIcd10System = QStringLiteral("http://hl7.org/fhir/sid/icd-10");

// The namespace of the name-based resource ids.
const QUuid kIdNamespace(QStringLiteral("{6f1c2b8e-4a57-4d1e-9b3a-2c4e8d7f0a15}"));

const char* const kPrefectures[] = {
    "北海道", "青森県", "岩手県", "宮城県", "秋田県", "山形県", "福島県", "茨城県", "栃木県", "群馬県",
    "埼玉県", "千葉県", "東京都", "神奈川県", "新潟県", "富山県", "石川県", "福井県", "山梨県", "長野県",
    "岐阜県", "静岡県", "愛知県", "三重県", "滋賀県", "京都府", "大阪府", "兵庫県", "奈良県", "和歌山県",
    "鳥取県", "島根県", "岡山県", "広島県", "山口県", "徳島県", "香川県", "愛媛県", "高知県", "福岡県",
    "佐賀県", "長崎県", "熊本県", "大分県", "宮崎県", "鹿児島県", "沖縄県"};

// ---- small builders ---------------------------------------------------------

QJsonObject coding(const QString& system, const QString& code, const QString& display = {})
{
    QJsonObject c{{QStringLiteral("system"), system}, {QStringLiteral("code"), code}};
    if (!display.isEmpty())
        c.insert(QStringLiteral("display"), display);
    return c;
}

QJsonObject codeable(const QJsonObject& c, const QString& text = {})
{
    QJsonObject o{{QStringLiteral("coding"), QJsonArray{c}}};
    if (!text.isEmpty())
        o.insert(QStringLiteral("text"), text);
    return o;
}

QJsonObject textConcept(const QString& text) { return {{QStringLiteral("text"), text}}; }

QString day(const QDate& d) { return d.toString(QStringLiteral("yyyy-MM-dd")); }
QString shownDay(const QDate& d) { return d.isValid() ? d.toString(QStringLiteral("yyyy/M/d")) : QString(); }

void insertIf(QJsonObject& o, const QString& key, const QString& value)
{
    if (!value.isEmpty())
        o.insert(key, value);
}

QJsonArray notes(const QStringList& texts)
{
    QJsonArray a;
    for (const QString& t : texts)
        if (!t.trimmed().isEmpty())
            a.append(QJsonObject{{QStringLiteral("text"), t}});
    return a;
}

void insertNotes(QJsonObject& o, const QStringList& texts)
{
    const QJsonArray a = notes(texts);
    if (!a.isEmpty())
        o.insert(QStringLiteral("note"), a);
}

// The onset of a partial date: "yyyy", "yyyy-mm" or "yyyy-mm-dd" as a
// dateTime, "不明" as a text; nothing for an empty or malformed code.
void insertOnset(QJsonObject& o, const QString& hjiki)
{
    if (hjiki.isEmpty() || !rec::hjikiValid(hjiki))
        return;
    if (hjiki == QLatin1String("00000000")) {
        o.insert(QStringLiteral("onsetString"), QStringLiteral("不明"));
        return;
    }
    QString v = hjiki.left(4);
    if (hjiki.mid(4, 2) != QLatin1String("00")) {
        v += QLatin1Char('-') + hjiki.mid(4, 2);
        if (hjiki.mid(6, 2) != QLatin1String("00"))
            v += QLatin1Char('-') + hjiki.mid(6, 2);
    }
    o.insert(QStringLiteral("onsetDateTime"), v);
}

// Family and given name where the stored name separates them by a blank
// (half- or full-width); the whole name as the text in any case.
QJsonObject humanName(const QString& name, const char* representation)
{
    const QString t = name.trimmed();
    QJsonObject n{{QStringLiteral("extension"),
                   QJsonArray{QJsonObject{{QStringLiteral("url"), kNameRepresentation},
                                          {QStringLiteral("valueCode"), QString::fromLatin1(representation)}}}},
                  {QStringLiteral("use"), QStringLiteral("official")},
                  {QStringLiteral("text"), t}};
    int gap = -1;
    for (int i = 0; i < t.size(); ++i)
        if (t[i] == QLatin1Char(' ') || t[i] == QChar(0x3000)) {
            gap = i;
            break;
        }
    if (gap > 0) {
        const QString given = t.mid(gap + 1).trimmed();
        n.insert(QStringLiteral("family"), t.left(gap));
        if (!given.isEmpty())
            n.insert(QStringLiteral("given"), QJsonArray{given});
    }
    return n;
}

QJsonArray telecom(const QString& phone, const QString& fax = {})
{
    QJsonArray a;
    if (!phone.isEmpty())
        a.append(QJsonObject{{QStringLiteral("system"), QStringLiteral("phone")}, {QStringLiteral("value"), phone}});
    if (!fax.isEmpty())
        a.append(QJsonObject{{QStringLiteral("system"), QStringLiteral("fax")}, {QStringLiteral("value"), fax}});
    return a;
}

QJsonArray address(const QString& postcd, const QString& text)
{
    if (postcd.isEmpty() && text.trimmed().isEmpty())
        return {};
    QJsonObject a{{QStringLiteral("country"), QStringLiteral("JP")}};
    insertIf(a, QStringLiteral("text"), text.trimmed());
    insertIf(a, QStringLiteral("postalCode"), postcd);
    return QJsonArray{a};
}

// The narrative as an XHTML div: each line escaped, lines joined by <br/>;
// characters XML does not allow are left out.
QString xhtml(const QString& text)
{
    QString out = QStringLiteral("<div xmlns=\"http://www.w3.org/1999/xhtml\">");
    out.reserve(out.size() + text.size() + text.size() / 8 + 8);
    const int n = text.size();
    for (int i = 0; i < n; ++i) {
        const QChar c = text[i];
        const char16_t u = c.unicode();
        if (u == u'\r') {
            if (i + 1 < n && text[i + 1] == QLatin1Char('\n'))
                ++i;
            out += QLatin1String("<br/>");
        } else if (u == u'\n') {
            out += QLatin1String("<br/>");
        } else if (u == u'&') {
            out += QLatin1String("&amp;");
        } else if (u == u'<') {
            out += QLatin1String("&lt;");
        } else if (u == u'>') {
            out += QLatin1String("&gt;");
        } else if (c.isHighSurrogate()) {
            if (i + 1 < n && text[i + 1].isLowSurrogate()) {
                out += c;
                out += text[++i];
            }
        } else if ((u < 0x20 && u != u'\t') || c.isLowSurrogate() || u == 0xFFFE || u == 0xFFFF) {
            // not a character of XML
        } else {
            out += c;
        }
    }
    out += QLatin1String("</div>");
    return out;
}

// The strings of the document as the R4 string type admits them: control
// characters other than tab, CR and LF left out, as the divs leave them out.
// A string left empty by it goes, and so does an object or array left empty;
// undefined for a value to go.
QJsonValue schemaStrings(const QJsonValue& v)
{
    const QJsonValue gone(QJsonValue::Undefined);
    if (v.isString()) {
        const QString s = v.toString();
        QString t;
        t.reserve(s.size());
        for (const QChar c : s)
            if (c.unicode() >= 0x20 || c == u'\t' || c == u'\r' || c == u'\n')
                t += c;
        return t.isEmpty() && !s.isEmpty() ? gone : QJsonValue(t);
    }
    if (v.isArray()) {
        const QJsonArray a = v.toArray();
        QJsonArray out;
        for (const QJsonValue& x : a)
            if (const QJsonValue y = schemaStrings(x); !y.isUndefined())
                out.append(y);
        return out.isEmpty() && !a.isEmpty() ? gone : QJsonValue(out);
    }
    if (v.isObject()) {
        const QJsonObject o = v.toObject();
        QJsonObject out;
        for (auto it = o.begin(); it != o.end(); ++it)
            if (const QJsonValue y = schemaStrings(it.value()); !y.isUndefined())
                out.insert(it.key(), y);
        return out.isEmpty() && !o.isEmpty() ? gone : QJsonValue(out);
    }
    return v;
}

// ---- the document -----------------------------------------------------------

class TDocument {
public:
    TDocument(const TPrtTaiyou& s, const QDateTime& at) : S(s), H(s.head), FAt(at)
    {
        FInstitution = institutionNumber(s.hosp.HOSPNO, s.hosp.HOSPADR);
    }

    QJsonObject build();

private:
    // "urn:uuid:…" of a resource of this document, named by `key`.
    QString urn(const QString& key) const
    {
        const QString name = QStringLiteral("KLOV/%1/%2/%3/%4").arg(FInstitution).arg(H.KNO).arg(H.VERNO).arg(key);
        return QStringLiteral("urn:uuid:") + QUuid::createUuidV5(kIdNamespace, name).toString(QUuid::WithoutBraces);
    }
    static QJsonObject ref(const QString& urn) { return {{QStringLiteral("reference"), urn}}; }
    void add(const QString& urn, QJsonObject resource)
    {
        resource.insert(QStringLiteral("id"), urn.mid(9));
        FEntries.append(QJsonObject{{QStringLiteral("fullUrl"), urn}, {QStringLiteral("resource"), resource}});
    }
    QString stamp() const { return FAt.toOffsetFromUtc(FAt.offsetFromUtc()).toString(Qt::ISODate); }
    // Composition identifier: institution, discharge year, summary number.
    QString documentNumber() const
    {
        return QStringLiteral("%1-%2-%3").arg(FInstitution).arg(H.TDTE.year(), 4, 10, QLatin1Char('0')).arg(H.KNO, 8, 10, QLatin1Char('0'));
    }

    QJsonObject section(const QString& code, const QString& title, const QString& narrative, const QJsonArray& entries,
                        const QString& emptyReason = {}) const;
    QJsonObject narrativeSection(const QString& code, const QString& title, const QString& text) const;

    void addPatient();
    void addEncounter();
    void addPractitioner();
    void addOrganizations();
    QJsonObject diagnoses();
    QJsonArray operations(QString& narrative);
    QJsonObject allergies();
    QJsonObject devices();
    QJsonObject composition(const QJsonArray& subsections) const;

    const TPrtTaiyou& S;
    const TTaiyouHead& H;
    QDateTime FAt;
    QString FInstitution;
    QJsonArray FEntries;
    QString FPatient, FEncounter, FPractitioner, FHospital, FDepartment;
};

QJsonObject TDocument::section(const QString& code, const QString& title, const QString& narrative,
                               const QJsonArray& entries, const QString& emptyReason) const
{
    QJsonObject s{{QStringLiteral("title"), title},
                  {QStringLiteral("code"), codeable(coding(kSectionSystem, code, title))},
                  {QStringLiteral("text"), QJsonObject{{QStringLiteral("status"), QStringLiteral("additional")},
                                                       {QStringLiteral("div"), xhtml(narrative)}}}};
    if (!entries.isEmpty())
        s.insert(QStringLiteral("entry"), entries);
    else if (!emptyReason.isEmpty())
        s.insert(QStringLiteral("emptyReason"), codeable(coding(kEmptyReasonSystem, emptyReason)));
    return s;
}

// A section of one narrative; an empty one says so and gives its reason.
QJsonObject TDocument::narrativeSection(const QString& code, const QString& title, const QString& text) const
{
    if (text.trimmed().isEmpty())
        return section(code, title, QStringLiteral("記載なし"), {}, QStringLiteral("unavailable"));
    return section(code, title, text, {});
}

void TDocument::addPatient()
{
    FPatient = urn(QStringLiteral("Patient"));
    QJsonObject p{{QStringLiteral("resourceType"), QStringLiteral("Patient")},
                  {QStringLiteral("identifier"),
                   QJsonArray{QJsonObject{{QStringLiteral("system"), kPatientIdOid + FInstitution},
                                          {QStringLiteral("value"), QString::number(H.ID)}}}}};
    QJsonArray names{humanName(H.KNJNAME, "IDE")};
    if (!H.KNJKANA.trimmed().isEmpty())
        names.append(humanName(H.KNJKANA, "SYL"));
    p.insert(QStringLiteral("name"), names);
    const QJsonArray phones = telecom(H.TEL);
    if (!phones.isEmpty())
        p.insert(QStringLiteral("telecom"), phones);
    p.insert(QStringLiteral("gender"), H.SEX == 0   ? QStringLiteral("male")
                                       : H.SEX == 1 ? QStringLiteral("female")
                                                    : QStringLiteral("unknown"));
    if (H.BIRTH.isValid())
        p.insert(QStringLiteral("birthDate"), day(H.BIRTH));
    const QJsonArray adr = address(H.POSTCD, H.ADR);
    if (!adr.isEmpty())
        p.insert(QStringLiteral("address"), adr);
    add(FPatient, p);
}

void TDocument::addEncounter()
{
    FEncounter = urn(QStringLiteral("Encounter"));
    QJsonObject e{
        {QStringLiteral("resourceType"), QStringLiteral("Encounter")},
        {QStringLiteral("status"), QStringLiteral("finished")},
        {QStringLiteral("class"),
         coding(QStringLiteral("http://terminology.hl7.org/CodeSystem/v3-ActCode"), QStringLiteral("IMP"),
                QStringLiteral("inpatient encounter"))},
        {QStringLiteral("subject"), ref(FPatient)},
        {QStringLiteral("period"),
         QJsonObject{{QStringLiteral("start"), day(H.NDTE)}, {QStringLiteral("end"), day(H.TDTE)}}},
        {QStringLiteral("serviceProvider"), ref(FDepartment.isEmpty() ? FHospital : FDepartment)}};
    add(FEncounter, e);
}

void TDocument::addPractitioner()
{
    if (H.WDR.isEmpty())
        return;
    FPractitioner = urn(QStringLiteral("Practitioner"));
    QJsonObject p{{QStringLiteral("resourceType"), QStringLiteral("Practitioner")},
                  {QStringLiteral("identifier"),
                   QJsonArray{QJsonObject{{QStringLiteral("system"), kStaffIdOid + FInstitution},
                                          {QStringLiteral("value"), H.WDR}}}},
                  {QStringLiteral("name"), QJsonArray{humanName(H.WDRNM.isEmpty() ? H.WDR : H.WDRNM, "IDE")}}};
    add(FPractitioner, p);
}

void TDocument::addOrganizations()
{
    const THospInfo& h = S.hosp;
    FHospital = urn(QStringLiteral("Organization/hospital"));
    QJsonObject o{
        {QStringLiteral("resourceType"), QStringLiteral("Organization")},
        {QStringLiteral("identifier"),
         QJsonArray{QJsonObject{{QStringLiteral("system"), kInstitutionSystem}, {QStringLiteral("value"), FInstitution}}}},
        {QStringLiteral("type"),
         QJsonArray{codeable(coding(QStringLiteral("http://terminology.hl7.org/CodeSystem/organization-type"),
                                   QStringLiteral("prov"), QStringLiteral("Healthcare Provider")))}},
        {QStringLiteral("name"), h.HOSPNM}};
    const QJsonArray t = telecom(h.TEL, h.FAX);
    if (!t.isEmpty())
        o.insert(QStringLiteral("telecom"), t);
    const QJsonArray adr = address(h.POSTCD, h.HOSPADR);
    if (!adr.isEmpty())
        o.insert(QStringLiteral("address"), adr);
    add(FHospital, o);

    if (H.KACD <= 0 || H.KANM.trimmed().isEmpty())
        return;
    FDepartment = urn(QStringLiteral("Organization/department"));
    add(FDepartment,
        QJsonObject{{QStringLiteral("resourceType"), QStringLiteral("Organization")},
                    {QStringLiteral("type"),
                     QJsonArray{codeable(coding(QStringLiteral("http://terminology.hl7.org/CodeSystem/organization-type"),
                                               QStringLiteral("dept"), QStringLiteral("Hospital Department")))}},
                    {QStringLiteral("name"), H.KANM.trimmed()},
                    {QStringLiteral("partOf"), ref(FHospital)}});
}

// The numbered diagnoses of the version, in their "#" order. A diagnosis
// whose patient disease has since been deleted has no disease left to state.
QJsonObject TDocument::diagnoses()
{
    QJsonArray entries;
    QStringList lines;
    int n = 0;
    for (const TrecByo& b : S.aryByo) {
        if (b.BNO <= 0 || b.BYONM.trimmed().isEmpty())
            continue;
        const QString name = b.BYONM.trimmed() + (b.DISTKBN == 1 ? QStringLiteral("疑い") : QString());
        QString number = QStringLiteral("#") + QString::number(b.SNO);
        for (const QString& sub : {b.SNO1.trimmed(), b.SNO2.trimmed()})
            if (!sub.isEmpty())
                number += QLatin1Char('-') + sub;
        const QString icd = b.ICD102013.trimmed();
        const QString outcome = rec::tenkiName(b.TENKI);
        QString line = number + QLatin1Char(' ') + name;
        if (!icd.isEmpty())
            line += QStringLiteral("（ICD-10：") + icd + QStringLiteral("）");
        if (!outcome.isEmpty())
            line += QStringLiteral("　転帰：") + outcome;
        lines << line;

        const QString id = urn(QStringLiteral("Condition/%1").arg(++n));
        QJsonObject c{
            {QStringLiteral("resourceType"), QStringLiteral("Condition")},
            {QStringLiteral("verificationStatus"),
             codeable(coding(QStringLiteral("http://terminology.hl7.org/CodeSystem/condition-ver-status"),
                            b.DISTKBN == 1 ? QStringLiteral("provisional") : QStringLiteral("confirmed")))},
            {QStringLiteral("category"),
             QJsonArray{codeable(coding(QStringLiteral("http://terminology.hl7.org/CodeSystem/condition-category"),
                                       QStringLiteral("encounter-diagnosis"), QStringLiteral("Encounter Diagnosis")))}},
            {QStringLiteral("code"),
             icd.isEmpty() ? textConcept(name) : codeable(coding(kIcd10System, icd, b.BYONM.trimmed()), name)},
            {QStringLiteral("subject"), ref(FPatient)},
            {QStringLiteral("encounter"), ref(FEncounter)}};
        insertOnset(c, b.HJIKI);
        if (b.ADDDTE.isValid())
            c.insert(QStringLiteral("recordedDate"), day(b.ADDDTE));
        insertNotes(c, {number, outcome.isEmpty() ? QString() : QStringLiteral("転帰：") + outcome, b.BIKO});
        add(id, c);
        entries.append(ref(id));
    }
    if (entries.isEmpty())
        return section(QStringLiteral("344"), QStringLiteral("退院時診断"), QStringLiteral("退院時診断の登録はありません。"),
                       {}, QStringLiteral("unavailable"));
    return section(QStringLiteral("344"), QStringLiteral("退院時診断"), lines.join(QLatin1Char('\n')), entries);
}

// The operations of the version, by date; their narrative lines in `narrative`.
QJsonArray TDocument::operations(QString& narrative)
{
    QJsonArray entries;
    QStringList lines;
    int n = 0;
    for (const TrecOpe& o : S.aryOpe) {
        const QString name = o.OPENM.trimmed();
        if (name.isEmpty() && o.KCODE.trimmed().isEmpty())
            continue;   // the patient's operation was deleted since
        const auto joined = [](const QString& a, const QString& b) {
            QStringList names;
            for (const QString& x : {a.trimmed(), b.trimmed()})
                if (!x.isEmpty())
                    names << x;
            return names.join(QStringLiteral("、"));
        };
        const QString surgeons = joined(o.OPEDR1NM, o.OPEDR2NM);
        const QString assistants = joined(o.JYO1NM, o.JYO2NM);
        const QString kcode = o.KCODE.trimmed();
        lines << (shownDay(o.OPEDTE) + QLatin1Char(' ') + name + (kcode.isEmpty() ? QString() : QStringLiteral("（") + kcode + QStringLiteral("）"))).trimmed();

        const QString id = urn(QStringLiteral("Procedure/%1").arg(++n));
        QJsonObject p{{QStringLiteral("resourceType"), QStringLiteral("Procedure")},
                      {QStringLiteral("status"), QStringLiteral("completed")},
                      {QStringLiteral("category"),
                       codeable(coding(QStringLiteral("http://snomed.info/sct"), QStringLiteral("387713003"),
                                      QStringLiteral("Surgical procedure")))},
                      {QStringLiteral("code"), textConcept(name.isEmpty() ? kcode : name)},
                      {QStringLiteral("subject"), ref(FPatient)},
                      {QStringLiteral("encounter"), ref(FEncounter)}};
        if (o.OPEDTE.isValid())
            p.insert(QStringLiteral("performedDateTime"), day(o.OPEDTE));
        insertNotes(p, {kcode.isEmpty() ? QString() : QStringLiteral("Kコード：") + kcode,
                        surgeons.isEmpty() ? QString() : QStringLiteral("術者：") + surgeons,
                        assistants.isEmpty() ? QString() : QStringLiteral("助手：") + assistants, o.COMM});
        add(id, p);
        entries.append(ref(id));
    }
    narrative = lines.join(QLatin1Char('\n'));
    return entries;
}

// Allergies as the print reads them: "なし" when the earliest entry says
// none; else the entries present, then those undetermined.
QJsonObject TDocument::allergies()
{
    const QString code = QStringLiteral("510");
    const QString title = QStringLiteral("アレルギー・不耐性反応");
    if (S.aryAlle.empty())
        return section(code, title, QStringLiteral("アレルギー情報の登録はありません。"), {}, QStringLiteral("notasked"));
    if (S.aryAlle.front().HKBN == 0)
        return section(code, title,
                       QStringLiteral("アレルギー・不適応反応：なし（登録日 ") + shownDay(S.aryAlle.front().ADDDTE)
                           + QStringLiteral("）"),
                       {}, QStringLiteral("nilknown"));
    QJsonArray entries;
    QStringList lines;
    int n = 0;
    for (int group : {1, 2}) {
        for (const TrecAlle& a : S.aryAlle) {
            if (a.HKBN != group)
                continue;
            QStringList confirmed;
            if (a.KAFAMY == 1)
                confirmed << QStringLiteral("本人・家族申告");
            if (a.KAHOSP == 1)
                confirmed << QStringLiteral("医療従事者確認");
            QString line = (group == 1 ? QStringLiteral("あり：") : QStringLiteral("不詳：")) + a.ALLEHIN.trimmed();
            if (!a.HANNOU.trimmed().isEmpty())
                line += QStringLiteral("（反応：") + a.HANNOU.trimmed() + QStringLiteral("）");
            lines << line;

            const QString id = urn(QStringLiteral("AllergyIntolerance/%1").arg(++n));
            QJsonObject r{
                {QStringLiteral("resourceType"), QStringLiteral("AllergyIntolerance")},
                {QStringLiteral("clinicalStatus"),
                 codeable(coding(QStringLiteral("http://terminology.hl7.org/CodeSystem/allergyintolerance-clinical"),
                                QStringLiteral("active")))},
                {QStringLiteral("verificationStatus"),
                 codeable(coding(QStringLiteral("http://terminology.hl7.org/CodeSystem/allergyintolerance-verification"),
                                group == 1 ? QStringLiteral("confirmed") : QStringLiteral("unconfirmed")))},
                {QStringLiteral("patient"), ref(FPatient)}};
            if (!a.ALLEHIN.trimmed().isEmpty())
                r.insert(QStringLiteral("code"), textConcept(a.ALLEHIN.trimmed()));
            insertOnset(r, a.HJIKI);
            if (a.ADDDTE.isValid())
                r.insert(QStringLiteral("recordedDate"), day(a.ADDDTE));
            if (!a.HANNOU.trimmed().isEmpty())
                r.insert(QStringLiteral("reaction"),
                         QJsonArray{QJsonObject{{QStringLiteral("manifestation"),
                                                 QJsonArray{textConcept(a.HANNOU.trimmed())}}}});
            insertNotes(r, {confirmed.isEmpty() ? QString() : QStringLiteral("確認法：") + confirmed.join(QStringLiteral("、")),
                            a.COMM});
            add(id, r);
            entries.append(ref(id));
        }
    }
    return section(code, title, lines.join(QLatin1Char('\n')), entries);
}

// Devices in use: each a Device and the statement of its use. No section
// when none is registered.
QJsonObject TDocument::devices()
{
    QJsonArray entries;
    QStringList lines;
    int n = 0;
    for (const TrecDevi& d : S.aryDevi) {
        const QString name = d.DEVICE.trimmed();
        if (name.isEmpty())
            continue;
        ++n;
        lines << name + (d.ADDDTE.isValid() ? QStringLiteral("（登録日 ") + shownDay(d.ADDDTE) + QStringLiteral("）") : QString());
        const QString device = urn(QStringLiteral("Device/%1").arg(n));
        add(device, QJsonObject{{QStringLiteral("resourceType"), QStringLiteral("Device")},
                                {QStringLiteral("deviceName"),
                                 QJsonArray{QJsonObject{{QStringLiteral("name"), name},
                                                        {QStringLiteral("type"), QStringLiteral("user-friendly-name")}}}},
                                {QStringLiteral("patient"), ref(FPatient)}});
        const QString use = urn(QStringLiteral("DeviceUseStatement/%1").arg(n));
        QJsonObject u{{QStringLiteral("resourceType"), QStringLiteral("DeviceUseStatement")},
                      {QStringLiteral("status"), QStringLiteral("active")},
                      {QStringLiteral("subject"), ref(FPatient)},
                      {QStringLiteral("device"), ref(device)}};
        if (d.ADDDTE.isValid())
            u.insert(QStringLiteral("recordedOn"), day(d.ADDDTE));
        insertNotes(u, {d.COMM});
        add(use, u);
        entries.append(ref(use));
    }
    if (entries.isEmpty())
        return {};
    return section(QStringLiteral("810"), QStringLiteral("医療機器"), lines.join(QLatin1Char('\n')), entries);
}

QJsonObject TDocument::composition(const QJsonArray& subsections) const
{
    QJsonArray authors;
    if (!FPractitioner.isEmpty())
        authors.append(ref(FPractitioner));
    authors.append(ref(FHospital));
    if (!FDepartment.isEmpty())
        authors.append(ref(FDepartment));
    const QJsonObject type = codeable(coding(kDocTypeSystem, kDocTypeCode, kTitle));
    return {
        {QStringLiteral("resourceType"), QStringLiteral("Composition")},
        {QStringLiteral("extension"),
         QJsonArray{QJsonObject{{QStringLiteral("url"), kVersionExtension},
                                {QStringLiteral("valueString"), QString::number(H.VERNO)}}}},
        {QStringLiteral("identifier"),
         QJsonObject{{QStringLiteral("system"), kInstanceIdSystem}, {QStringLiteral("value"), documentNumber()}}},
        {QStringLiteral("status"), QStringLiteral("final")},
        {QStringLiteral("type"), type},
        {QStringLiteral("category"), QJsonArray{type}},
        {QStringLiteral("subject"), ref(FPatient)},
        {QStringLiteral("encounter"), ref(FEncounter)},
        {QStringLiteral("date"), stamp()},
        {QStringLiteral("author"), authors},
        {QStringLiteral("title"), kTitle},
        {QStringLiteral("custodian"), ref(FHospital)},
        {QStringLiteral("event"),
         QJsonArray{QJsonObject{{QStringLiteral("period"), QJsonObject{{QStringLiteral("start"), day(H.NDTE)},
                                                                        {QStringLiteral("end"), day(H.TDTE)}}}}}},
        {QStringLiteral("section"),
         QJsonArray{QJsonObject{{QStringLiteral("title"), QStringLiteral("構造情報")},
                                {QStringLiteral("code"), codeable(coding(kSectionSystem, QStringLiteral("300"),
                                                                        QStringLiteral("構造情報")))},
                                {QStringLiteral("section"), subsections}}}}};
}

QJsonObject TDocument::build()
{
    // The Composition comes first; its entry is put in front at the end.
    addPatient();
    addOrganizations();
    addPractitioner();
    addEncounter();

    QStringList admission;
    admission << QStringLiteral("入院日：") + shownDay(H.NDTE) << QStringLiteral("退院日：") + shownDay(H.TDTE);
    if (H.NSYU == 0 || H.NSYU == 1)
        admission << QStringLiteral("入院種別：") + (H.NSYU == 0 ? QStringLiteral("定例") : QStringLiteral("予定外"));
    if (H.NYUCNT > 0)
        admission << QStringLiteral("今回含め%1回目入院").arg(H.NYUCNT);
    if (!H.KANM.trimmed().isEmpty())
        admission << QStringLiteral("診療科：") + H.KANM.trimmed();
    if (!H.SYUDRNM.trimmed().isEmpty())
        admission << QStringLiteral("主治医：") + H.SYUDRNM.trimmed();

    QString operationLines;
    const QJsonArray ops = operations(operationLines);
    QString course = H.NYUKEIKA;
    if (!operationLines.isEmpty())
        course += (course.trimmed().isEmpty() ? QString() : QStringLiteral("\n\n")) + QStringLiteral("手術・手技：\n")
                  + operationLines;

    QJsonArray subsections{
        section(QStringLiteral("322"), QStringLiteral("入院時詳細"), admission.join(QLatin1Char('\n')),
                QJsonArray{ref(FEncounter)}),
        section(QStringLiteral("342"), QStringLiteral("入院時診断"), QStringLiteral("入院時診断の記録はありません。"), {},
                QStringLiteral("unavailable")),
        narrativeSection(QStringLiteral("352"), QStringLiteral("主訴"), H.NYURIYU),
        narrativeSection(QStringLiteral("312"), QStringLiteral("入院理由"), H.NYURIYU),
        narrativeSection(QStringLiteral("362"), QStringLiteral("現病歴"), H.NYUBEFKEIKA),
        ops.isEmpty() ? narrativeSection(QStringLiteral("333"), QStringLiteral("入院中経過"), course)
                      : section(QStringLiteral("333"), QStringLiteral("入院中経過"), course, ops),
        narrativeSection(QStringLiteral("324"), QStringLiteral("退院時詳細"), H.TAIJOUHO),
        diagnoses(),
        narrativeSection(QStringLiteral("444"), QStringLiteral("退院時投薬指示"), H.TAIYAKU),
        narrativeSection(QStringLiteral("424"), QStringLiteral("退院時方針指示"), H.TAIHOU),
        allergies()};
    const QJsonObject deviceSection = devices();
    if (!deviceSection.isEmpty())
        subsections.append(deviceSection);
    if (!ops.isEmpty())
        subsections.append(section(QStringLiteral("730"), QStringLiteral("手術"), operationLines, ops));

    const QString compositionUrn = urn(QStringLiteral("Composition"));
    QJsonObject c = composition(subsections);
    c.insert(QStringLiteral("id"), compositionUrn.mid(9));
    QJsonArray entries{QJsonObject{{QStringLiteral("fullUrl"), compositionUrn}, {QStringLiteral("resource"), c}}};
    for (const QJsonValue& e : std::as_const(FEntries))
        entries.append(e);

    const QString bundleUrn = urn(QStringLiteral("Bundle"));
    const QJsonObject bundle{
        {QStringLiteral("resourceType"), QStringLiteral("Bundle")},
        {QStringLiteral("id"), bundleUrn.mid(9)},
        {QStringLiteral("meta"), QJsonObject{{QStringLiteral("lastUpdated"), stamp()}}},
        {QStringLiteral("identifier"),
         QJsonObject{{QStringLiteral("system"), kInstanceIdSystem},
                     {QStringLiteral("value"), documentNumber() + QLatin1Char('-') + QString::number(H.VERNO)}}},
        {QStringLiteral("type"), QStringLiteral("document")},
        {QStringLiteral("timestamp"), stamp()},
        {QStringLiteral("entry"), entries}};
    return schemaStrings(bundle).toObject();
}

const QString kIniSection = QStringLiteral("FHIR");
const QString kIniKey = QStringLiteral("OUTPATH");

} // namespace

// ---------------------------------------------------------------- public

QString institutionNumber(qint64 hospno, const QString& address)
{
    if (hospno >= 1000000000LL && hospno <= 9999999999LL)
        return QString::number(hospno);
    if (hospno <= 0 || hospno > 9999999)
        return {};
    const QString adr = address.trimmed();
    for (int i = 0; i < int(std::size(kPrefectures)); ++i)
        if (adr.startsWith(QString::fromUtf8(kPrefectures[i])))
            return QStringLiteral("%1").arg(i + 1, 2, 10, QLatin1Char('0')) + QLatin1Char('1')
                   + QStringLiteral("%1").arg(hospno, 7, 10, QLatin1Char('0'));
    return {};
}

QString refusal(const TPrtTaiyou& s)
{
    const TTaiyouHead& h = s.head;
    if (h.DELKBN != 0)
        return QStringLiteral("削除済のサマリはFHIR出力できません。");
    if (!h.TDTE.isValid())
        return QStringLiteral("退院日が入力されていないため、FHIR出力できません。\r\n"
                              "退院時サマリーには退院日が必要です。");
    if (h.WFLG != 1)
        return QStringLiteral("記載完了していないサマリはFHIR出力できません。");
    if (!h.NDTE.isValid())
        return QStringLiteral("入院日が入力されていないため、FHIR出力できません。");
    if (!s.hosp.exists || s.hosp.HOSPNM.isEmpty() || institutionNumber(s.hosp.HOSPNO, s.hosp.HOSPADR).isEmpty())
        return QStringLiteral("施設情報の医療機関コード（または住所の都道府県）が登録されていないため、FHIR出力できません。\r\n"
                              "施設情報メンテで登録してください。");
    return {};
}

QJsonObject buildDocument(const TPrtTaiyou& s, const QDateTime& at) { return TDocument(s, at).build(); }

QString fileName(const TPrtTaiyou& s)
{
    return QStringLiteral("%1_%2_%3.json").arg(s.head.ID).arg(s.head.KNO).arg(s.head.VERNO);
}

QString exportSummary(QWidget* parent, int kno, int verno, const TAskFolder& askFolder)
{
    TQuery query(&dm().ADOCPOST);
    TPrtTaiyou data(query);
    QDateTime at;
    try {
        TWaitCursor wait;
        if (!data.Load(kno, verno, true)) {
            msg::warning(parent, QStringLiteral("このサマリは存在しません。他の端末で削除された可能性があります。"));
            return {};
        }
        at = CommonU::GetServerTime();
    } catch (const std::exception& e) {
        msg::warning(parent, errorWarningText(e));
        return {};
    }
    if (const QString why = refusal(data); !why.isEmpty()) {
        msg::warning(parent, why);
        return {};
    }

    QString start;
    if (!CommonU::ReadIniStr(kIniSection, kIniKey, start) || start.isEmpty() || !QDir(start).exists())
        start = QDir::homePath();
    const QString folder = askFolder ? askFolder(parent, start)
                                     : QFileDialog::getExistingDirectory(parent, QStringLiteral("FHIR出力先フォルダ指定"), start);
    if (folder.isEmpty())
        return {};
    CommonU::WriteIniStr(kIniSection, kIniKey, folder);

    const QString path = QDir(folder).filePath(fileName(data));
    if (QFileInfo::exists(path)
        && !msg::question(parent, QStringLiteral("同じ名前のファイルが既に存在します。上書きしますか？\r\n") + path))
        return {};
    const QByteArray bytes = QJsonDocument(buildDocument(data, at)).toJson(QJsonDocument::Indented);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        msg::warning(parent, QStringLiteral("ファイルに書き込めませんでした。\r\n") + path + QStringLiteral("\r\n")
                                 + file.errorString());
        return {};
    }
    msg::information(parent, QStringLiteral("FHIR形式（退院時サマリー）で出力しました。\r\n") + path);
    return path;
}

} // namespace fhir
