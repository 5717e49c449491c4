-- Brings a database made before the keys against a second live row up to
-- the present schema. Safe to run any number of times; one transaction.
--
-- Where an older program left two live rows, the newest stays live and the
-- others become history in the table's own way, as the later save of the
-- two would have left them.

SET client_min_messages = warning;
BEGIN;

-- Patients: one current revision, the highest RNO.
UPDATE "KLOV"."M_KANJA" K SET "ACTKBN" = 0, "UPDDTM" = NOW()
 WHERE K."ACTKBN" = 1 AND K."DELKBN" = 0
   AND EXISTS (SELECT 1 FROM "KLOV"."M_KANJA" N WHERE N."ID" = K."ID" AND N."ACTKBN" = 1
               AND N."DELKBN" = 0 AND N."RNO" > K."RNO");
DROP INDEX IF EXISTS "KLOV"."M_KANJA_ACT";
CREATE UNIQUE INDEX IF NOT EXISTS "M_KANJA_CURRENT" ON "KLOV"."M_KANJA" ("ID")
 WHERE "ACTKBN" = 1 AND "DELKBN" = 0;

-- Diseases and operations: one live row per number, the highest RNO.
UPDATE "KLOV"."D_KANBYO" K SET "DELKBN" = 1, "DELDTM" = DATE_TRUNC('second', NOW())
 WHERE K."DELKBN" = 0
   AND EXISTS (SELECT 1 FROM "KLOV"."D_KANBYO" N WHERE N."ID" = K."ID" AND N."BNO" = K."BNO"
               AND N."DELKBN" = 0 AND N."RNO" > K."RNO");
CREATE UNIQUE INDEX IF NOT EXISTS "D_KANBYO_LIVE" ON "KLOV"."D_KANBYO" ("ID", "BNO") WHERE "DELKBN" = 0;

UPDATE "KLOV"."D_KANOPE" K SET "DELKBN" = 1, "DELDTM" = DATE_TRUNC('second', NOW())
 WHERE K."DELKBN" = 0
   AND EXISTS (SELECT 1 FROM "KLOV"."D_KANOPE" N WHERE N."ID" = K."ID" AND N."ONO" = K."ONO"
               AND N."DELKBN" = 0 AND N."RNO" > K."RNO");
CREATE UNIQUE INDEX IF NOT EXISTS "D_KANOPE_LIVE" ON "KLOV"."D_KANOPE" ("ID", "ONO") WHERE "DELKBN" = 0;

-- Summaries: one current version, the highest VERNO.
UPDATE "KLOV"."D_TAIYOU" K SET "ACTKBN" = 0, "UPDDTM" = DATE_TRUNC('second', NOW())
 WHERE K."ACTKBN" = 1 AND K."DELKBN" = 0
   AND EXISTS (SELECT 1 FROM "KLOV"."D_TAIYOU" N WHERE N."KNO" = K."KNO" AND N."ACTKBN" = 1
               AND N."DELKBN" = 0 AND N."VERNO" > K."VERNO");
CREATE UNIQUE INDEX IF NOT EXISTS "D_TAIYOU_CURRENT" ON "KLOV"."D_TAIYOU" ("KNO")
 WHERE "ACTKBN" = 1 AND "DELKBN" = 0;

-- Diagnoses of a version: a disease listed twice under the same "#" keeps
-- one row. Two different diseases under one "#" with the same sub-numbers
-- cannot be told apart here; the constraint below then fails and names them.
DELETE FROM "KLOV"."D_TAIBYO" T
 WHERE EXISTS (SELECT 1 FROM "KLOV"."D_TAIBYO" U
                WHERE U."KNO" = T."KNO" AND U."VERNO" = T."VERNO" AND U."BNO" = T."BNO"
                  AND U."SNO" = T."SNO" AND COALESCE(U."SNO1", '') = COALESCE(T."SNO1", '')
                  AND COALESCE(U."SNO2", '') = COALESCE(T."SNO2", '') AND U.ctid < T.ctid);
DO $$
BEGIN
    IF NOT EXISTS (SELECT 1 FROM pg_constraint C JOIN pg_namespace N ON N.oid = C.connamespace
                    WHERE N.nspname = 'KLOV' AND C.conname = 'D_TAIBYO_NUMBER') THEN
        ALTER TABLE "KLOV"."D_TAIBYO" ADD CONSTRAINT "D_TAIBYO_NUMBER" EXCLUDE USING btree (
            "KNO" WITH =, "VERNO" WITH =, "SNO" WITH =,
            (COALESCE("SNO1", '')) WITH =, (COALESCE("SNO2", '')) WITH =)
            DEFERRABLE INITIALLY DEFERRED;
    END IF;
END
$$;
DROP INDEX IF EXISTS "KLOV"."D_TAIBYO_VER";

-- The main list's discharge-date range.
CREATE INDEX IF NOT EXISTS "D_TAIYOU_TDTE" ON "KLOV"."D_TAIYOU" ("TDTE");

COMMIT;
