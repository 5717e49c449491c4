#pragma once
// Ward-scale data for the benchmarks: summaries over patients with Japanese
// narratives of 2 to 6 KB each, older versions, diagnoses, operations,
// allergies, devices and messages, all made by the server itself.

#include <QString>

namespace bench {

struct TWardSize {
    int summaries = 100000;
    int patients = 30000;
};

inline QString wardDataSql(const TWardSize& n)
{
    return QStringLiteral(R"(
INSERT INTO "KLOV"."M_KA" ("KACD","KANM","DSPKBN")
  SELECT k, (ARRAY['内科','外科','整形外科','循環器内科','消化器内科','脳神経外科','小児科','産婦人科','呼吸器内科','泌尿器科','皮膚科','眼科'])[k], 0
    FROM generate_series(1, 12) k;
INSERT INTO "KLOV"."M_USER" ("USERID","PASSW","USERKANA","USERNM","JTYP","WOK","SOK","KOK","MNTFLG","YSTRDTE","YENDDTE")
  SELECT 'dr' || u, 'pw', 'イシ' || u, '医師　' || u || '郎', CASE WHEN u % 10 = 0 THEN 1 ELSE 0 END, 1, 1, 1, 1,
         DATE '2000-01-01', DATE '2099-12-31'
    FROM generate_series(1, 60) u;
INSERT INTO "KLOV"."M_KANJA" ("ID","RNO","ACTKBN","KNJKANA","KNJNAME","SEX","BIRTH","POSTCD","ADR1","ADR2","TEL")
  SELECT 1000000 + p, 1, 1,
         (ARRAY['ヤマダ','スズキ','タナカ','サトウ','タカハシ','ワタナベ','イトウ','ナカムラ','コバヤシ','カトウ'])[p % 10 + 1]
           || ' ' || (ARRAY['タロウ','ハナコ','イチロウ','サクラ','ケンジ','ユミ','ヒロシ','アキコ'])[p % 8 + 1] || p,
         (ARRAY['山田','鈴木','田中','佐藤','高橋','渡辺','伊藤','中村','小林','加藤'])[p % 10 + 1]
           || '　' || (ARRAY['太郎','花子','一郎','さくら','健二','由美','浩','明子'])[p % 8 + 1] || p,
         p % 2, DATE '1930-01-01' + (p * 7) % 30000, '100-0001', '東京都千代田区千代田' || (p % 50), '一丁目' || (p % 9),
         '03-0000-' || LPAD((p % 10000)::text, 4, '0')
    FROM generate_series(1, %2) p;
INSERT INTO "KLOV"."M_NMAIN" ("BKNO","BYONM","BYOKANA","ICD102013")
  SELECT LPAD(b::text, 8, '0'), '病名マスタ' || b, 'ビョウメイ' || b, 'I' || LPAD((b % 100)::text, 2, '0') || '.' || (b % 10)
    FROM generate_series(1, 2000) b;
INSERT INTO "KLOV"."D_KANBYO" ("ID","BNO","RNO","ADDDTE","BKNO","BYONM","HJIKI","TENKI","BIKO")
  SELECT 1000000 + p, b, 1, DATE '2020-01-01' + p % 1500, LPAD(((p * 3 + b) % 2000 + 1)::text, 8, '0'),
         (ARRAY['高血圧症','２型糖尿病','脂質異常症','急性心筋梗塞','肺炎','脳梗塞','大腿骨頸部骨折','胃癌','慢性腎臓病'])[(p + b) % 9 + 1],
         '20200100', b % 5, '備考' || b
    FROM generate_series(1, %2) p, generate_series(1, 3) b;
INSERT INTO "KLOV"."D_KANOPE" ("ID","ONO","RNO","OPEDTE","OPENM","KCODE","OPEDR1","COMM")
  SELECT 1000000 + p, 1, 1, DATE '2020-01-01' + p % 1500, '経皮的冠動脈形成術', 'K546', 'dr' || (p % 60 + 1), '合併症なし'
    FROM generate_series(1, %2) p;
INSERT INTO "KLOV"."M_ALLERGY" ("ID","RNO","HKBN","ADDDTE","ALLEHIN","HANNOU","HJIKI","COMM")
  SELECT 1000000 + p, 1, CASE WHEN p % 3 = 0 THEN 1 ELSE 0 END, DATE '2020-01-01' + p % 1500,
         CASE WHEN p % 3 = 0 THEN 'ペニシリン系抗菌薬' END, CASE WHEN p % 3 = 0 THEN '発疹' END, '20190100', NULL
    FROM generate_series(1, %2) p;
INSERT INTO "KLOV"."M_DEVICE" ("ID","RNO","ADDDTE","DEVICE","COMM")
  SELECT 1000000 + p, 1, DATE '2020-01-01' + p % 1500, 'ペースメーカー', 'MRI条件付き対応'
    FROM generate_series(1, %2, 7) p;

-- Narratives: sentences of a ward's discharge summaries, in 500 variants of
-- 4 to 12 sentences; the five narratives of a summary take different ones.
CREATE TEMPORARY TABLE "BENCH_TEXT" AS
  WITH s(a) AS (SELECT ARRAY[
    '入院時、胸部不快感と労作時の息切れを認め、心電図でST上昇を確認した。',
    '緊急で冠動脈造影を施行し、左前下行枝の高度狭窄に対してステントを留置した。',
    '術後経過は良好で、第三病日より歩行訓練を開始し、心臓リハビリテーションを継続した。',
    '血液検査ではトロポニンの上昇を認めたが、その後は速やかに低下した。',
    '糖尿病の血糖管理のためインスリン投与を行い、退院前に内服薬へ切り替えた。',
    '食事は塩分六グラムの制限食とし、栄養指導を本人と家族に実施した。',
    '服薬アドヒアランスは良好で、抗血小板薬二剤併用療法を継続する方針とした。',
    '退院後は外来で定期的に心機能と腎機能を評価する予定である。',
    '発熱と咳嗽が続き、胸部レントゲンで右下葉に浸潤影を認めたため抗菌薬を開始した。',
    '喀痰培養では肺炎球菌が検出され、感受性のある抗菌薬に変更した。',
    '嚥下機能評価を行い、とろみ食で誤嚥なく経口摂取が可能となった。',
    '転倒により右大腿骨頸部骨折を受傷し、人工骨頭置換術を施行した。',
    '術後早期より理学療法を開始し、歩行器歩行で病棟内自立となった。',
    '家族と面談し、退院後の生活環境と介護サービスの利用について調整した。',
    '特記すべき合併症なく経過し、本人の希望もあり自宅退院とした。',
    '紹介元の先生には今後の経過観察と内服調整をお願いしたい。'] AS a)
  SELECT v, string_agg(a[(v * 7 + i * 5) % 16 + 1], '' ORDER BY i) AS t
    FROM s, generate_series(0, 499) v, generate_series(1, 4 + v % 9) i
   GROUP BY v;

-- Every tenth summary also has an older version.
INSERT INTO "KLOV"."D_TAIYOU" ("KNO","VERNO","ACTKBN","DELKBN","KACD","ID","NDTE","TDTE","NSYU","NYUCNT","NYURIYU",
    "NYUBEFKEIKA","NYUKEIKA","TAIJOUHO","TAIYAKU","TAIHOU","SYUDR","TANDR1","WDR","WFLG","SFLG","KFLG","VERDTE","INSDTM","UPDDTM")
  SELECT g.kno, v.verno, CASE WHEN v.verno = g.last THEN 1 ELSE 0 END, 0, g.kno % 12 + 1, 1000000 + g.kno % %2 + 1,
         DATE '2018-01-01' + (g.kno * 37) % 3000 + TIME '10:00',
         CASE WHEN g.kno % 20 = 0 THEN TIMESTAMP '1899-12-30' ELSE DATE '2018-01-01' + (g.kno * 37) % 3000 + g.kno % 30 + TIME '11:00' END,
         g.kno % 3, 1, '胸痛精査のため入院（' || g.kno || '）',
         t1.t, t2.t, t3.t, t4.t, t5.t,
         'dr' || (g.kno % 60 + 1), 'dr' || ((g.kno + 7) % 60 + 1), 'dr' || (g.kno % 60 + 1),
         CASE WHEN g.kno % 4 > 0 THEN 1 ELSE 0 END, CASE WHEN g.kno % 4 > 1 THEN 1 ELSE 0 END,
         CASE WHEN g.kno % 4 > 2 THEN 1 ELSE 0 END,
         TIMESTAMP '2024-01-01 09:00', TIMESTAMP '2024-01-01 09:00', TIMESTAMP '2024-01-02 09:00'
    FROM (SELECT k AS kno, CASE WHEN k % 10 = 0 THEN 2 ELSE 1 END AS last FROM generate_series(1, %1) k) g
    JOIN LATERAL generate_series(1, g.last) v(verno) ON true
    JOIN "BENCH_TEXT" t1 ON t1.v = (g.kno * 11 + v.verno) % 500
    JOIN "BENCH_TEXT" t2 ON t2.v = (g.kno * 13 + 1) % 500
    JOIN "BENCH_TEXT" t3 ON t3.v = (g.kno * 17 + 2) % 500
    JOIN "BENCH_TEXT" t4 ON t4.v = (g.kno * 19 + 3) % 500
    JOIN "BENCH_TEXT" t5 ON t5.v = (g.kno * 23 + 4) % 500;
INSERT INTO "KLOV"."D_TAIBYO" ("KNO","VERNO","BNO","SNO","SNO1","SNO2")
  SELECT "KNO", "VERNO", b, b, '', '' FROM "KLOV"."D_TAIYOU", generate_series(1, 3) b;
INSERT INTO "KLOV"."D_TAIOPE" ("KNO","VERNO","ONO","RNO")
  SELECT "KNO", "VERNO", 1, 1 FROM "KLOV"."D_TAIYOU" WHERE "KNO" % 2 = 0;
INSERT INTO "KLOV"."D_MESS" ("MESSNO","RUSERID","SUSERID","SDTM","KENMEI","NAIYO","LBLKBN")
  SELECT m, 'dr' || (m % 60 + 1), 'dr' || ((m + 1) % 60 + 1), TIMESTAMP '2024-01-01 09:00' + m * INTERVAL '1 minute',
         '退院サマリの確認依頼', '記載内容をご確認ください。', m % 5 / 4
    FROM generate_series(1, 20000) m;
DROP TABLE "BENCH_TEXT";
ANALYZE;
)")
        .arg(n.summaries)
        .arg(n.patients);
}

} // namespace bench
