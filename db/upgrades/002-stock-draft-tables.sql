-- The supplies stock's tables as first drafted: produtoscodigos carried an installation key that
-- it does not have, and insumos_cmp had indexes on (idlic, status, cdfor) and (idlic, dtc) where
-- the purchase and the history look up (idlic, cdfor, serie, nfiscal, modelo) and (idlic, status, dte).
DELIMITER //
BEGIN NOT ATOMIC
  IF EXISTS (SELECT 1 FROM information_schema.columns
             WHERE table_schema = DATABASE() AND table_name = 'produtoscodigos'
               AND column_name = 'idlic') THEN
    ALTER TABLE produtoscodigos DROP PRIMARY KEY, DROP COLUMN idlic, ADD PRIMARY KEY (cdpro);
  END IF;
  IF EXISTS (SELECT 1 FROM information_schema.statistics
             WHERE table_schema = DATABASE() AND table_name = 'insumos_cmp'
               AND index_name = 'idlic') THEN
    ALTER TABLE insumos_cmp DROP KEY idlic;
  END IF;
  IF EXISTS (SELECT 1 FROM information_schema.statistics
             WHERE table_schema = DATABASE() AND table_name = 'insumos_cmp'
               AND index_name = 'idlic_2') THEN
    ALTER TABLE insumos_cmp DROP KEY idlic_2;
  END IF;
  IF NOT EXISTS (SELECT 1 FROM information_schema.statistics
                 WHERE table_schema = DATABASE() AND table_name = 'insumos_cmp'
                   AND index_name = 'insumos_cmp_compra') THEN
    ALTER TABLE insumos_cmp ADD KEY insumos_cmp_compra (idlic, cdfor, serie, nfiscal, modelo);
  END IF;
  IF NOT EXISTS (SELECT 1 FROM information_schema.statistics
                 WHERE table_schema = DATABASE() AND table_name = 'insumos_cmp'
                   AND index_name = 'insumos_cmp_status') THEN
    ALTER TABLE insumos_cmp ADD KEY insumos_cmp_status (idlic, status, dte);
  END IF;
END //
DELIMITER ;
