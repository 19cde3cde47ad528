-- The attendance tables as first drafted: keyed by their own number alone, with codes of 10
-- characters and a line key of 60. Nothing wrote them before the attendance was closed here.
DELIMITER //
BEGIN NOT ATOMIC
  IF (SELECT COUNT(*) FROM information_schema.statistics
      WHERE table_schema = DATABASE() AND table_name = 'atendimentos'
        AND index_name = 'PRIMARY') = 1 THEN
    ALTER TABLE atendimentos
      MODIFY idlan VARCHAR(90) NULL, MODIFY idprof VARCHAR(20) NULL,
      MODIFY idproc VARCHAR(20) NULL, MODIFY idconv VARCHAR(20) NULL,
      MODIFY idpac VARCHAR(20) NULL,
      ADD KEY (id), DROP PRIMARY KEY, ADD PRIMARY KEY (idlic, id);
  END IF;
  IF (SELECT COUNT(*) FROM information_schema.statistics
      WHERE table_schema = DATABASE() AND table_name = 'atendimento_finan'
        AND index_name = 'PRIMARY') = 1 THEN
    ALTER TABLE atendimento_finan ADD KEY (id), DROP PRIMARY KEY, ADD PRIMARY KEY (idlic, id);
  END IF;
END //
DELIMITER ;
