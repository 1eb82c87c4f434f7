INSERT INTO AJUSTES (ID_AJUSTE, TITULO_PT, ABREV_VX_PT) VALUES (1, 'Adaptação da borboleta', 'ADAP. TPS');
INSERT INTO AJUSTES (ID_AJUSTE, TITULO_PT, ABREV_VX_PT) VALUES (2, 'Zerar adaptações da injeção', 'ZERAR ADAP.');
INSERT INTO AJUSTES (ID_AJUSTE, TITULO_PT, ABREV_VX_PT) VALUES (3, 'Codificação dos injetores', 'COD. INJ.');
INSERT INTO AJUSTES (ID_AJUSTE, TITULO_PT, ABREV_VX_PT) VALUES (4, 'Ajuste da rotação de marcha lenta', 'M. LENTA');
INSERT INTO AJUSTES (ID_AJUSTE, TITULO_PT, ABREV_VX_PT) VALUES (5, 'Sangria do sistema ABS', 'SANGRIA');
INSERT INTO AJUSTES (ID_AJUSTE, TITULO_PT, ABREV_VX_PT) VALUES (6, 'Calibração do sensor de ângulo de direção', 'CALIB. SAS');
INSERT INTO AJUSTES (ID_AJUSTE, TITULO_PT, ABREV_VX_PT) VALUES (7, 'Regeneração forçada do filtro de partículas', 'REGEN. DPF');
INSERT INTO AJUSTES (ID_AJUSTE, TITULO_PT, ABREV_VX_PT) VALUES (8, 'Reinício das adaptações da transmissão', 'ADAP. TA');
INSERT INTO AJUSTES (ID_AJUSTE, TITULO_PT, ABREV_VX_PT) VALUES (9, 'Zerar intervalo de revisão', 'REVISÃO');
