-- A professional's fee holds every amount the fee box takes: 13 whole digits (was 10).
DELIMITER //
BEGIN NOT ATOMIC
  IF EXISTS (SELECT 1 FROM information_schema.columns
             WHERE table_schema = DATABASE() AND table_name = 'profissionais'
               AND column_name = 'valor' AND numeric_precision < 15) THEN
    ALTER TABLE profissionais MODIFY valor DECIMAL(15,2) NULL;
  END IF;
END //
DELIMITER ;
