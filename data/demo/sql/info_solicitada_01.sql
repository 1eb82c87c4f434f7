INSERT INTO INFO_SOLICITADA (ID_INFO, TITULO_PT, OPCAO_1, OPCAO_2) VALUES (1, 'O veículo possui ar-condicionado?', 1, 2);
INSERT INTO INFO_SOLICITADA (ID_INFO, TITULO_PT, OPCAO_1, OPCAO_2) VALUES (2, 'Qual o tipo de câmbio do veículo?', 3, 4);
INSERT INTO INFO_SOLICITADA (ID_INFO, TITULO_PT, OPCAO_1, OPCAO_2) VALUES (3, 'Quantas marchas possui a transmissão?', 5, 6);
INSERT INTO INFO_SOLICITADA (ID_INFO, TITULO_PT, OPCAO_1, OPCAO_2) VALUES (4, 'O veículo possui retarder (freio auxiliar)?', 7, 8);
INSERT INTO INFO_SOLICITADA (ID_INFO, TITULO_PT, OPCAO_1, OPCAO_2) VALUES (5, 'O veículo possui sensor de chuva e ''faróis automáticos''?', 1, 2);
