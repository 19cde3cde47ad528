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
