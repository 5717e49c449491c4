-- Schema "KLOV": every table of the discharge summary system.
-- Text widths are the widths the program binds; flags default to 0 so that
-- rows written without them never hold null.

CREATE SCHEMA IF NOT EXISTS "KLOV";

CREATE TABLE "KLOV"."M_USER" (
    "USERID"     varchar(24)  NOT NULL PRIMARY KEY,
    "PASSW"      varchar(24),
    "PASSCDTE"   timestamp,
    "USERKANA"   varchar(64),
    "USERNM"     varchar(64),
    "JTYP"       integer      NOT NULL DEFAULT 0,
    "WOK"        integer      NOT NULL DEFAULT 0,
    "SOK"        integer      NOT NULL DEFAULT 0,
    "KOK"        integer      NOT NULL DEFAULT 0,
    "MNTFLG"     integer      NOT NULL DEFAULT 0,
    "COMM"       varchar(100),
    "YSTRDTE"    timestamp,
    "YENDDTE"    timestamp,
    "INSDTM"     timestamp,
    "INSUSERID"  varchar(24),
    "UPDDTM"     timestamp,
    "UPDUSERID"  varchar(24)
);
CREATE INDEX "M_USER_JTYP" ON "KLOV"."M_USER" ("JTYP", "USERKANA");

CREATE TABLE "KLOV"."M_KANJA" (
    "ID"         bigint       NOT NULL,
    "RNO"        integer      NOT NULL,
    "ACTKBN"     integer      NOT NULL DEFAULT 0,
    "KNJKANA"    varchar(50),
    "KNJNAME"    varchar(50),
    "SEX"        integer,
    "BIRTH"      timestamp,
    "POSTCD"     varchar(10),
    "ADR1"       varchar(100),
    "ADR2"       varchar(100),
    "TEL"        varchar(20),
    "KEITAI"     varchar(20),
    "FAX"        varchar(20),
    "MAIL"       varchar(50),
    "BIKO"       varchar(128),
    "DELKBN"     integer      NOT NULL DEFAULT 0,
    "INSUSERID"  varchar(24),
    "INSDTM"     timestamp,
    "UPDUSERID"  varchar(24),
    "UPDDTM"     timestamp,
    PRIMARY KEY ("ID", "RNO")
);
-- One current revision per patient.
CREATE UNIQUE INDEX "M_KANJA_CURRENT" ON "KLOV"."M_KANJA" ("ID") WHERE "ACTKBN" = 1 AND "DELKBN" = 0;
CREATE INDEX "M_KANJA_KANA" ON "KLOV"."M_KANJA" ("KNJKANA");

CREATE TABLE "KLOV"."M_HOSP" (
    "HOSPNO"     integer,
    "HOSPNM"     varchar(128),
    "HOSPKANA"   varchar(128),
    "HOSPADR"    varchar(128),
    "POSTCD"     varchar(12),
    "TEL"        varchar(48),
    "FAX"        varchar(48),
    "BIKO"       varchar(128)
);

CREATE TABLE "KLOV"."M_KA" (
    "KACD"       integer      NOT NULL PRIMARY KEY,
    "KANM"       varchar(50),
    "KARNM"      varchar(2),
    "DSPKBN"     integer      NOT NULL DEFAULT 0,
    "INSDTM"     timestamp,
    "INSUSERID"  varchar(24),
    "UPDDTM"     timestamp,
    "UPDUSERID"  varchar(24)
);

CREATE TABLE "KLOV"."M_DRKA" (
    "USERID"     varchar(24)  NOT NULL,
    "KACD"       integer      NOT NULL,
    PRIMARY KEY ("USERID", "KACD")
);
CREATE INDEX "M_DRKA_KACD" ON "KLOV"."M_DRKA" ("KACD");

CREATE TABLE "KLOV"."M_NMAIN" (
    "BKNO"       varchar(8)   NOT NULL PRIMARY KEY,
    "BYONM"      varchar(200),
    "BYOKANA"    varchar(200),
    "ICD102013"  varchar(10),
    "BCHGCD"     varchar(10)
);

CREATE TABLE "KLOV"."M_KCODE" (
    "KCODE"      varchar(12)  NOT NULL PRIMARY KEY,
    "SNM"        varchar(200)
);

CREATE TABLE "KLOV"."M_ALLERGY" (
    "ID"         bigint       NOT NULL,
    "RNO"        integer      NOT NULL,
    "HKBN"       integer      NOT NULL DEFAULT 0,
    "ADDDTE"     timestamp,
    "ALLEHIN"    varchar(64),
    "HANNOU"     varchar(64),
    "HJIKI"      varchar(8),
    "KAFAMY"     integer      NOT NULL DEFAULT 0,
    "KAHOSP"     integer      NOT NULL DEFAULT 0,
    "COMM"       varchar(100),
    "DELKBN"     integer      NOT NULL DEFAULT 0,
    "DELDTM"     timestamp,
    "DELUSERID"  varchar(24),
    "INSDTM"     timestamp,
    "INSUSERID"  varchar(24),
    PRIMARY KEY ("ID", "RNO")
);

CREATE TABLE "KLOV"."M_DEVICE" (
    "ID"         bigint       NOT NULL,
    "RNO"        integer      NOT NULL,
    "ADDDTE"     timestamp,
    "DEVICE"     varchar(100),
    "COMM"       varchar(100),
    "DELKBN"     integer      NOT NULL DEFAULT 0,
    "DELDTM"     timestamp,
    "DELUSERID"  varchar(24),
    "INSDTM"     timestamp,
    "INSUSERID"  varchar(24),
    PRIMARY KEY ("ID", "RNO")
);

CREATE TABLE "KLOV"."D_KANBYO" (
    "ID"         bigint       NOT NULL,
    "BNO"        integer      NOT NULL,
    "RNO"        integer      NOT NULL,
    "ADDDTE"     timestamp,
    "BKNO"       varchar(8),
    "DISTKBN"    integer      NOT NULL DEFAULT 0,
    "BYONM"      varchar(200),
    "HJIKI"      varchar(8),
    "ENDDTE"     timestamp,
    "TENKI"      integer      NOT NULL DEFAULT 0,
    "BIKO"       varchar(100),
    "DELKBN"     integer      NOT NULL DEFAULT 0,
    "DELDTM"     timestamp,
    "DELUSERID"  varchar(24),
    "INSDTM"     timestamp,
    "INSUSERID"  varchar(24),
    PRIMARY KEY ("ID", "BNO", "RNO")
);
CREATE INDEX "D_KANBYO_BNO" ON "KLOV"."D_KANBYO" ("BNO");
-- One live row per disease.
CREATE UNIQUE INDEX "D_KANBYO_LIVE" ON "KLOV"."D_KANBYO" ("ID", "BNO") WHERE "DELKBN" = 0;

CREATE TABLE "KLOV"."D_KANOPE" (
    "ID"         bigint       NOT NULL,
    "ONO"        integer      NOT NULL,
    "RNO"        integer      NOT NULL,
    "OPEDTE"     timestamp,
    "OPENM"      varchar(200),
    "KCODE"      varchar(12),
    "OPEDR1"     varchar(24),
    "OPEDR2"     varchar(24),
    "JYO1"       varchar(24),
    "JYO2"       varchar(24),
    "COMM"       varchar(200),
    "DELKBN"     integer      NOT NULL DEFAULT 0,
    "DELDTM"     timestamp,
    "DELUSERID"  varchar(24),
    "INSDTM"     timestamp,
    "INSUSERID"  varchar(24),
    PRIMARY KEY ("ID", "ONO", "RNO")
);
-- One live row per operation.
CREATE UNIQUE INDEX "D_KANOPE_LIVE" ON "KLOV"."D_KANOPE" ("ID", "ONO") WHERE "DELKBN" = 0;

CREATE TABLE "KLOV"."D_TAIYOU" (
    "KNO"          integer     NOT NULL,
    "VERNO"        integer     NOT NULL,
    "ACTKBN"       integer     NOT NULL DEFAULT 0,
    "DELKBN"       integer     NOT NULL DEFAULT 0,
    "KACD"         integer,
    "ID"           bigint,
    "NDTE"         timestamp,
    "TDTE"         timestamp,
    "NSYU"         integer     NOT NULL DEFAULT 0,
    "NYUCNT"       integer     NOT NULL DEFAULT 0,
    "NYURIYU"      varchar(128),
    "NYUBEFKEIKA"  text,
    "NYUKEIKA"     text,
    "TAIJOUHO"     text,
    "TAIYAKU"      text,
    "TAIHOU"       text,
    "SYUDR"        varchar(24),
    "TANDR1"       varchar(24),
    "TANDR2"       varchar(24),
    "TANDR3"       varchar(24),
    "WDR"          varchar(24),
    "WFLG"         integer     NOT NULL DEFAULT 0,
    "WUSERID"      varchar(24),
    "WDTM"         timestamp,
    "SFLG"         integer     NOT NULL DEFAULT 0,
    "SUSERID"      varchar(24),
    "SDTM"         timestamp,
    "KFLG"         integer     NOT NULL DEFAULT 0,
    "KUSERID"      varchar(24),
    "KDTM"         timestamp,
    "VERDTE"       timestamp,
    "INSDTM"       timestamp,
    "INSUSERID"    varchar(24),
    "UPDDTM"       timestamp,
    "UPDUSERID"    varchar(24),
    PRIMARY KEY ("KNO", "VERNO")
);
CREATE INDEX "D_TAIYOU_ID" ON "KLOV"."D_TAIYOU" ("ID");
CREATE INDEX "D_TAIYOU_NDTE" ON "KLOV"."D_TAIYOU" ("NDTE");
CREATE INDEX "D_TAIYOU_TDTE" ON "KLOV"."D_TAIYOU" ("TDTE");
CREATE INDEX "D_TAIYOU_KACD" ON "KLOV"."D_TAIYOU" ("KACD");
-- One current version per summary.
CREATE UNIQUE INDEX "D_TAIYOU_CURRENT" ON "KLOV"."D_TAIYOU" ("KNO") WHERE "ACTKBN" = 1 AND "DELKBN" = 0;

CREATE TABLE "KLOV"."D_TAIBYO" (
    "KNO"        integer      NOT NULL,
    "VERNO"      integer      NOT NULL,
    "BNO"        integer      NOT NULL,
    "SNO"        integer      NOT NULL DEFAULT 0,
    "SNO1"       varchar(4),
    "SNO2"       varchar(4),
    -- Each "#" with its sub-numbers once per version (empty and absent
    -- sub-numbers alike); checked at commit, so a renumbering may pass
    -- through a duplicate on its way.
    CONSTRAINT "D_TAIBYO_NUMBER" EXCLUDE USING btree (
        "KNO" WITH =, "VERNO" WITH =, "SNO" WITH =,
        (COALESCE("SNO1", '')) WITH =, (COALESCE("SNO2", '')) WITH =)
        DEFERRABLE INITIALLY DEFERRED
);

CREATE TABLE "KLOV"."D_TAIOPE" (
    "KNO"        integer      NOT NULL,
    "VERNO"      integer      NOT NULL,
    "ONO"        integer      NOT NULL,
    "RNO"        integer      NOT NULL,
    "DELKBN"     integer      NOT NULL DEFAULT 0,
    "INSDTM"     timestamp,
    "INSUSERID"  varchar(24),
    PRIMARY KEY ("KNO", "VERNO", "ONO", "RNO")
);

CREATE TABLE "KLOV"."D_MESS" (
    "MESSNO"     integer      NOT NULL,
    "RUSERID"    varchar(24)  NOT NULL,
    "SUSERID"    varchar(24),
    "SDTM"       timestamp,
    "KENMEI"     varchar(64),
    "NAIYO"      varchar(300),
    "LBLKBN"     integer      NOT NULL DEFAULT 0,
    "KFLG"       integer      NOT NULL DEFAULT 0,
    "KDTM"       timestamp,
    "RDELFLG"    integer      NOT NULL DEFAULT 0,
    "RDELDTM"    timestamp,
    "SDELFLG"    integer      NOT NULL DEFAULT 0,
    "SDELDTM"    timestamp,
    PRIMARY KEY ("MESSNO", "RUSERID")
);
CREATE INDEX "D_MESS_RUSERID" ON "KLOV"."D_MESS" ("RUSERID");
CREATE INDEX "D_MESS_SUSERID" ON "KLOV"."D_MESS" ("SUSERID");

CREATE TABLE "KLOV"."M_MYTEMPLE" (
    "USERID"     varchar(24)  NOT NULL,
    "MTNO"       integer      NOT NULL,
    "MTTITLE"    varchar(50),
    "MTNAIYO"    varchar(500),
    PRIMARY KEY ("USERID", "MTNO")
);

CREATE TABLE "KLOV"."M_SYSTEM" (
    "CODE"       integer      NOT NULL PRIMARY KEY,
    "NUM1"       integer      NOT NULL DEFAULT 0,
    "STR1"       varchar(100)
);
