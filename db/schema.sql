-- Vertalumex schema: every table InnoDB, utf8mb4, the installation key idlic first in every key.
-- Loaded at every set-up; statements are idempotent.

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
  valor    DECIMAL(12,2) NULL,
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
