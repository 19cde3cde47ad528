-- Vertalumex schema: every table InnoDB, utf8mb4, the installation key idlic first in every key.
-- Loaded at every set-up; statements are idempotent. A change to an existing table is made here
-- and also as a step of db/upgrades, which brings databases made before it up to date.

-- Users and their rights, one row per user and main-menu control.
CREATE TABLE IF NOT EXISTS usuarios (
  idlic     VARCHAR(15) NOT NULL,
  nmusuario VARCHAR(10) NOT NULL,
  ususenha  VARCHAR(10) NOT NULL DEFAULT '',
  evcad     VARCHAR(60) NULL,
  evup      VARCHAR(60) NULL,
  PRIMARY KEY (idlic, nmusuario)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

CREATE TABLE IF NOT EXISTS perfilusuario (
  idlic     VARCHAR(15) NOT NULL,
  nmusuario VARCHAR(10) NOT NULL,
  ususenha  VARCHAR(10) NULL,
  campo     VARCHAR(20) NOT NULL,
  valor     VARCHAR(1)  NULL,
  evcad     VARCHAR(60) NULL,
  PRIMARY KEY (idlic, nmusuario, campo)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Clinic registries. Codes are made by the database; InnoDB needs the auto-increment column
-- to lead an index, hence the extra key on each code.
CREATE TABLE IF NOT EXISTS convenios (
  idlic  VARCHAR(15) NOT NULL,
  idconv INT NOT NULL AUTO_INCREMENT,
  nmconv VARCHAR(45) NULL,
  pdesc  DECIMAL(12,2) NULL,
  evcad  VARCHAR(60) NULL,
  evup   VARCHAR(60) NULL,
  PRIMARY KEY (idlic, idconv),
  KEY (idconv)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

CREATE TABLE IF NOT EXISTS especialidades (
  idlic VARCHAR(15) NOT NULL,
  idesp INT NOT NULL AUTO_INCREMENT,
  nmesp VARCHAR(45) NULL,
  evcad VARCHAR(60) NULL,
  evup  VARCHAR(60) NULL,
  PRIMARY KEY (idlic, idesp),
  KEY (idesp)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

CREATE TABLE IF NOT EXISTS procedimentos (
  idlic   VARCHAR(15) NOT NULL,
  idproc  INT NOT NULL AUTO_INCREMENT,
  nmproc  VARCHAR(45) NULL,
  vertmex VARCHAR(1)  NULL,
  evcad   VARCHAR(60) NULL,
  evup    VARCHAR(60) NULL,
  PRIMARY KEY (idlic, idproc),
  KEY (idproc)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

CREATE TABLE IF NOT EXISTS pacientes (
  idlic    VARCHAR(15)  NOT NULL,
  idpac    INT NOT NULL AUTO_INCREMENT,
  dtcad    DATE NULL,
  cpf      VARCHAR(22)  NULL,
  rg       VARCHAR(22)  NULL,
  dtnasc   DATE NULL,
  nmPac    VARCHAR(45)  NULL,
  fonepac  VARCHAR(30)  NULL,
  fonecel  VARCHAR(30)  NULL,
  eMail    VARCHAR(200) NULL,
  cep      VARCHAR(8)   NULL,
  rua      VARCHAR(45)  NULL,
  nrrua    VARCHAR(10)  NULL,
  bairro   VARCHAR(30)  NULL,
  cidade   VARCHAR(30)  NULL,
  uf       VARCHAR(2)   NULL,
  nmresp   VARCHAR(30)  NULL,
  foneresp VARCHAR(30)  NULL,
  idconv   INT NULL,
  taler    VARCHAR(1)   NULL,
  dsaler   VARCHAR(130) NULL,
  tmed     VARCHAR(1)   NULL,
  dsmed    VARCHAR(130) NULL,
  tcir     VARCHAR(1)   NULL,
  dscir    VARCHAR(130) NULL,
  obs      TEXT NULL,
  evup     VARCHAR(60)  NULL,
  PRIMARY KEY (idlic, idpac),
  KEY (idpac)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

CREATE TABLE IF NOT EXISTS profissionais (
  idlic    VARCHAR(15)  NOT NULL,
  idpro    INT NOT NULL AUTO_INCREMENT,
  dtcad    DATE NULL,
  cpf      VARCHAR(22)  NULL,
  rg       VARCHAR(22)  NULL,
  dtnasc   DATE NULL,
  nmpro    VARCHAR(45)  NULL,
  fonefixo VARCHAR(30)  NULL,
  valor    DECIMAL(15,2) NULL,
  fonecel  VARCHAR(30)  NULL,
  eMail    VARCHAR(200) NULL,
  cep      VARCHAR(8)   NULL,
  rua      VARCHAR(45)  NULL,
  nrrua    VARCHAR(10)  NULL,
  bairro   VARCHAR(30)  NULL,
  cidade   VARCHAR(30)  NULL,
  uf       VARCHAR(2)   NULL,
  obs      TEXT NULL,
  nrcon    VARCHAR(30)  NULL,
  idesp    INT NULL,
  vertmex  VARCHAR(1)   NULL,
  evup     VARCHAR(60)  NULL,
  PRIMARY KEY (idlic, idpro),
  KEY (idpro)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

CREATE TABLE IF NOT EXISTS fornecedores (
  idlic    VARCHAR(15)  NOT NULL,
  cdfor    INT NOT NULL AUTO_INCREMENT,
  nmfor    VARCHAR(45)  NULL,
  nmfant   VARCHAR(30)  NULL,
  cpf      VARCHAR(22)  NULL,
  rg       VARCHAR(22)  NULL,
  fonefixo VARCHAR(30)  NULL,
  fonecel  VARCHAR(30)  NULL,
  email    VARCHAR(200) NULL,
  rua      VARCHAR(45)  NULL,
  nrcasa   VARCHAR(10)  NULL,
  bairro   VARCHAR(30)  NULL,
  cidade   VARCHAR(30)  NULL,
  uf       VARCHAR(2)   NULL,
  obs      TEXT NULL,
  cep      VARCHAR(8)   NULL,
  evcad    VARCHAR(60)  NULL,
  upev     VARCHAR(60)  NULL,
  PRIMARY KEY (idlic, cdfor),
  KEY (cdfor)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Working hours: one weekday entry of a professional (idpro 0: home care as a whole) at one
-- place; no key of the program's own, so twin rows may exist.
CREATE TABLE IF NOT EXISTS diahr (
  idlic   VARCHAR(15)  NOT NULL,
  idpro   INT          NOT NULL DEFAULT 0,
  dia     VARCHAR(20)  NULL,
  hr      VARCHAR(130) NULL,
  evcad   VARCHAR(60)  NULL,
  evup    VARCHAR(60)  NULL,
  vertmex VARCHAR(1)   NULL,
  idesp   INT          NULL,
  KEY diahr_pro (idlic, idpro)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Yearly holidays: one row per installation, day and month.
CREATE TABLE IF NOT EXISTS feriados (
  idlic VARCHAR(15) NOT NULL,
  dia   INT         NOT NULL,
  mes   INT         NOT NULL,
  nMes  VARCHAR(20) NULL,
  obs   VARCHAR(45) NULL,
  evcad VARCHAR(60) NULL,
  evup  VARCHAR(60) NULL,
  PRIMARY KEY (idlic, dia, mes)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Supplies stock. Supply codes are typed by the users; purchase lines are keyed by the clock.
CREATE TABLE IF NOT EXISTS grupoestoque (
  idlic   VARCHAR(15) NOT NULL,
  cdgrupo INT NOT NULL AUTO_INCREMENT,
  dsgrupo VARCHAR(20) NULL,
  evcad   VARCHAR(60) NULL,
  evup    VARCHAR(60) NULL,
  PRIMARY KEY (idlic, cdgrupo),
  KEY (cdgrupo)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

CREATE TABLE IF NOT EXISTS produtos (
  idlic   VARCHAR(15) NOT NULL,
  cdpro   VARCHAR(14) NOT NULL,
  dspro   VARCHAR(45) NULL,
  un      VARCHAR(2)  NULL,
  cdgrupo INT NULL,
  vcusto  DECIMAL(17,4) NULL,
  dtucmp  VARCHAR(10) NULL,
  obs     TEXT NULL,
  qmin    DECIMAL(17,4) NULL,
  caplote VARCHAR(1)  NULL,
  evcad   VARCHAR(60) NULL,
  evup    VARCHAR(60) NULL,
  PRIMARY KEY (idlic, cdpro)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Kept for code reservations; nothing in the program writes it. It has no installation key.
CREATE TABLE IF NOT EXISTS produtoscodigos (
  cdpror VARCHAR(30) NULL,
  cdpro  INT NOT NULL AUTO_INCREMENT,
  evcad  VARCHAR(60) NULL,
  PRIMARY KEY (cdpro)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- One row per purchase line; a purchase is the lines of one supplier, series, number and
-- model. idlan is the clock of the save, the series, number, supplier and model.
CREATE TABLE IF NOT EXISTS insumos_cmp (
  idlic   VARCHAR(15) NOT NULL,
  idlan   VARCHAR(40) NOT NULL,
  cdfor   INT NULL,
  serie   VARCHAR(3)  NULL,
  nfiscal VARCHAR(10) NULL,
  modelo  VARCHAR(2)  NULL,
  dte     DATE NULL,
  dtc     DATE NULL,
  cdpro   VARCHAR(14) NULL,
  vfinal  DECIMAL(17,4) NULL,
  vfrete  DECIMAL(17,4) NOT NULL DEFAULT 0,
  qtde    DECIMAL(17,4) NULL,
  status  VARCHAR(1)  NULL,
  evcad   VARCHAR(60) NULL,
  lote    VARCHAR(20) NULL,
  dtv     DATE NULL,
  qtest   DECIMAL(17,4) NOT NULL DEFAULT 0,
  PRIMARY KEY (idlic, idlan),
  KEY insumos_cmp_compra (idlic, cdfor, serie, nfiscal, modelo),
  KEY insumos_cmp_status (idlic, status, dte)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Treatment contracts. The contract id is the clock and the patient code; a session key holds
-- the procedure and the session's moment, so the same key can stand in two contracts.
CREATE TABLE IF NOT EXISTS contrato (
  idlic      VARCHAR(15) NOT NULL,
  idcontrato VARCHAR(30) NOT NULL,
  dtc        DATE NULL,
  cdpac      INT NULL,
  nmresp     VARCHAR(30) NULL,
  foneresp   VARCHAR(30) NULL,
  cidade     VARCHAR(40) NULL,
  status     VARCHAR(1)  NULL,
  evcad      VARCHAR(60) NULL,
  upev       VARCHAR(60) NULL,
  cpf        VARCHAR(22) NULL,
  rg         VARCHAR(22) NULL,
  obs        TEXT NULL,
  rua        VARCHAR(50) NULL,
  nrcasa     VARCHAR(10) NULL,
  bairro     VARCHAR(30) NULL,
  cep        VARCHAR(8)  NULL,
  uf         VARCHAR(2)  NULL,
  email      VARCHAR(200) NULL,
  fonepac    VARCHAR(30) NULL,
  idconv     INT NULL,
  taler      VARCHAR(1)  NULL,
  tmed       VARCHAR(1)  NULL,
  tcir       VARCHAR(1)  NULL,
  dsaler     VARCHAR(130) NULL,
  dsmed      VARCHAR(130) NULL,
  dscir      VARCHAR(130) NULL,
  diagno     VARCHAR(90) NULL,
  medresp    VARCHAR(30) NULL,
  PRIMARY KEY (idlic, idcontrato),
  KEY (idlic, status)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

CREATE TABLE IF NOT EXISTS contrato_procedimentos (
  idlic       VARCHAR(15) NOT NULL,
  idcontrato  VARCHAR(30) NOT NULL,
  idlan       VARCHAR(60) NOT NULL,
  idproc      INT NULL,
  qtde        DECIMAL(17,4) NULL,
  valor       DECIMAL(17,4) NULL,
  complemento TEXT NULL,
  evcad       VARCHAR(60) NULL,
  PRIMARY KEY (idlic, idcontrato, idlan),
  UNIQUE KEY (idlic, idlan)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

CREATE TABLE IF NOT EXISTS contrato_agenda (
  idlic      VARCHAR(15) NOT NULL,
  idcontrato VARCHAR(30) NOT NULL,
  idlan      VARCHAR(30) NOT NULL,
  idproc     INT NULL,
  data       DATE NULL,
  hora       VARCHAR(5)  NULL,
  idpac      INT NULL,
  idprof     VARCHAR(10) NOT NULL DEFAULT '0',
  status     VARCHAR(1)  NOT NULL DEFAULT '0',
  PRIMARY KEY (idlic, idcontrato, idlan),
  KEY (idlic, data),
  KEY (idlic, idlan)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

CREATE TABLE IF NOT EXISTS contrato_prescricao (
  idlic      VARCHAR(15) NOT NULL,
  idcontrato VARCHAR(30) NOT NULL,
  idproc     INT NULL,
  idreceita  VARCHAR(30) NOT NULL,
  dspresc    TEXT NULL,
  DtPresc    DATE NULL,
  dsfreq     VARCHAR(60) NULL,
  evcad      VARCHAR(60) NULL,
  upev       VARCHAR(60) NULL,
  PRIMARY KEY (idlic, idcontrato, idreceita)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

CREATE TABLE IF NOT EXISTS contrato_insumos (
  idlic      VARCHAR(15) NOT NULL,
  idcontrato VARCHAR(30) NOT NULL,
  idproc     INT NOT NULL,
  dtpresc    DATE NOT NULL,
  cdpro      VARCHAR(14) NOT NULL,
  qtde       DECIMAL(17,4) NULL,
  evcad      VARCHAR(60) NULL,
  -- A supply is prescribed once per procedure of a contract, whatever the date.
  PRIMARY KEY (idlic, idcontrato, idproc, cdpro)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

CREATE TABLE IF NOT EXISTS contrato_atendimento (
  idlic      VARCHAR(15) NOT NULL,
  idcontrato VARCHAR(30) NOT NULL,
  idlan      VARCHAR(30) NOT NULL,
  idproc     INT NULL,
  data       DATE NULL,
  hora       VARCHAR(5)  NULL,
  idprof     VARCHAR(10) NULL,
  idpac      INT NULL,
  dsev       TEXT NULL,
  evcad      VARCHAR(60) NULL,
  upev       VARCHAR(60) NULL,
  status     VARCHAR(1)  NULL,
  PRIMARY KEY (idlic, idcontrato, idlan)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

CREATE TABLE IF NOT EXISTS contrato_entregue (
  idlic      VARCHAR(15) NOT NULL,
  idlan      INT NOT NULL AUTO_INCREMENT,
  idcontrato VARCHAR(30) NULL,
  idproc     INT NULL,
  dtatend    DATE NULL,
  cdpro      VARCHAR(14) NULL,
  qtde       DECIMAL(17,4) NULL,
  evcad      VARCHAR(60) NULL,
  idatend    VARCHAR(30) NULL,
  tipo       VARCHAR(1)  NULL,
  lote       VARCHAR(20) NULL,
  dtv        VARCHAR(10) NULL,
  custo      DECIMAL(17,4) NULL,
  PRIMARY KEY (idlic, idlan),
  KEY (idlan),
  KEY (idlic, idcontrato, idatend)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Appointment book. A booking's key is the clock, the user and the professional; attendance
-- lines share their line key, so those tables get a key of their own.
CREATE TABLE IF NOT EXISTS agenda_clinica (
  idlic    VARCHAR(15) NOT NULL,
  idagenda VARCHAR(40) NOT NULL,
  fone     VARCHAR(70) NULL,
  idpro    INT NULL,
  idesp    INT NULL,
  idconv   INT NULL,
  idpac    INT NULL,
  nmpac    VARCHAR(60) NULL,
  dia      DATE NULL,
  hr       VARCHAR(5)  NULL,
  obs      VARCHAR(255) NULL,
  idproc   INT NULL,
  valor    DECIMAL(15,2) NULL,
  status   VARCHAR(1)  NULL,
  evcad    VARCHAR(60) NULL,
  evup     VARCHAR(60) NULL,
  mobesp   VARCHAR(7)  NULL,
  vertmex  VARCHAR(1)  NULL,
  PRIMARY KEY (idlic, idagenda),
  KEY (idlic, idpro, dia),
  KEY (idlic, dia, nmpac)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

CREATE TABLE IF NOT EXISTS atendimentos (
  idlic         VARCHAR(15) NOT NULL,
  id            BIGINT NOT NULL AUTO_INCREMENT,
  idlan         VARCHAR(90) NULL,
  vertmex       VARCHAR(1)  NULL,
  idprof        VARCHAR(20) NULL,
  idproc        VARCHAR(20) NULL,
  dt            DATE NULL,
  hr            VARCHAR(4)  NULL,
  qtde          DECIMAL(17,4) NULL,
  valor         DECIMAL(17,4) NULL,
  cf            VARCHAR(1)  NULL,
  idatendimento VARCHAR(40) NULL,
  idconv        VARCHAR(20) NULL,
  evcad         VARCHAR(60) NULL,
  idpac         VARCHAR(20) NULL,
  PRIMARY KEY (idlic, id),
  KEY (id),
  KEY (idlic, idatendimento)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

CREATE TABLE IF NOT EXISTS atendimento_finan (
  idlic   VARCHAR(15) NOT NULL,
  id      BIGINT NOT NULL AUTO_INCREMENT,
  idatend VARCHAR(40) NULL,
  mp      VARCHAR(20) NULL,
  obs     VARCHAR(255) NULL,
  valor   DECIMAL(17,4) NULL,
  cf      VARCHAR(1)  NULL,
  evcad   VARCHAR(60) NULL,
  PRIMARY KEY (idlic, id),
  KEY (id),
  KEY (idlic, idatend)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Accounts payable. An instalment's key is the document, its place in the schedule and the
-- supplier; receipts gather instalments under a clock-made number.
CREATE TABLE IF NOT EXISTS centrocusto (
  idlic VARCHAR(15) NOT NULL,
  cdcen INT NOT NULL AUTO_INCREMENT,
  nmcen VARCHAR(45) NULL,
  evcad VARCHAR(60) NULL,
  PRIMARY KEY (idlic, cdcen),
  KEY (cdcen)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

CREATE TABLE IF NOT EXISTS subcentrocusto (
  idlic  VARCHAR(15) NOT NULL,
  cdscen INT NOT NULL AUTO_INCREMENT,
  nmscen VARCHAR(45) NULL,
  evcad  VARCHAR(60) NULL,
  PRIMARY KEY (idlic, cdscen),
  KEY (cdscen)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

CREATE TABLE IF NOT EXISTS cpagar (
  idlic   VARCHAR(15) NOT NULL,
  idlan   VARCHAR(60) NOT NULL,
  nrdoc   VARCHAR(30) NULL,
  refdoc  VARCHAR(100) NULL,
  cdfor   INT NULL,
  dte     DATE NULL,
  obs     VARCHAR(255) NULL,
  cdcen   INT NULL,
  cdscen  INT NULL,
  dtv     DATE NULL,
  vrorig  DECIMAL(15,2) NULL,
  vrpg    DECIMAL(15,2) NOT NULL DEFAULT 0,
  vrab    DECIMAL(15,2) NULL,
  parcela VARCHAR(7)  NULL,
  evcad   VARCHAR(60) NULL,
  vrj     DECIMAL(15,2) NOT NULL DEFAULT 0,
  vrd     DECIMAL(15,2) NOT NULL DEFAULT 0,
  pago    VARCHAR(1)  NOT NULL DEFAULT 'N',
  nrrec   VARCHAR(20) NULL,
  dtp     DATE NULL,
  PRIMARY KEY (idlic, idlan),
  KEY (idlic, nrdoc, cdfor),
  KEY (idlic, nrrec, pago),
  KEY (idlic, pago, dtv),
  KEY (idlic, pago, dtp)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

CREATE TABLE IF NOT EXISTS cpagar_recibos (
  id     BIGINT NOT NULL AUTO_INCREMENT,
  idlic  VARCHAR(15) NOT NULL,
  nrrec  VARCHAR(20) NULL,
  dtbx   DATE NULL,
  cdmp   VARCHAR(3)  NULL,
  obs    VARCHAR(255) NULL,
  valor  DECIMAL(15,2) NULL,
  evcad  VARCHAR(60) NULL,
  PRIMARY KEY (idlic, id),
  KEY (id),
  KEY (idlic, nrrec)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
