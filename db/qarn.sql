-- The sibling clinic system's tables that this system reads (schema "QARN").
-- The program never creates them; the demo database and the tests do, with
-- the columns read and the ones their conditions use.

CREATE SCHEMA IF NOT EXISTS "QARN";

CREATE TABLE "QARN"."M_KANJA" (
    "ID"       bigint       NOT NULL,
    "RNO"      integer      NOT NULL DEFAULT 1,
    "ACTKBN"   integer      NOT NULL DEFAULT 1,
    "DELKBN"   integer      NOT NULL DEFAULT 0,
    "KANA"     varchar(50),
    "NAME"     varchar(50),
    "SEX"      integer,
    "BIRTH"    timestamp,
    "POSTCD"   varchar(10),
    "ADR1"     varchar(100),
    "ADR2"     varchar(100),
    "TEL"      varchar(20),
    "FAX"      varchar(20),
    "MAIL"     varchar(50),
    "BIKO"     varchar(128),
    PRIMARY KEY ("ID", "RNO")
);

CREATE TABLE "QARN"."M_KA" (
    "KACD"     integer      NOT NULL PRIMARY KEY,
    "KANM"     varchar(50)
);

CREATE TABLE "QARN"."D_NTDATA" (
    "ID"       bigint       NOT NULL,
    "NKBN"     integer      NOT NULL DEFAULT 1,
    "NYUDTM"   timestamp    NOT NULL,
    "TAIDTM"   timestamp,
    "KACD"     integer,
    PRIMARY KEY ("ID", "NKBN", "NYUDTM")
);
