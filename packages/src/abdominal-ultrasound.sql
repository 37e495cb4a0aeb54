# Ультразвуковое исследование органов брюшной полости.
#name=УЗИ органов брюшной полости
#signature=201

create table dbdescription (Fieldname char(10), Fieldtype char(10), Descript char(100), FieldMin integer, FieldMax integer, FieldFile char(20))
insert into dbdescription (Fieldname, Fieldtype, Descript, FieldMin, FieldMax, FieldFile) values ('liver_r', 'numeric', 'Печень: правая доля, мм', 50, 250, '')
insert into dbdescription (Fieldname, Fieldtype, Descript, FieldMin, FieldMax, FieldFile) values ('liver_l', 'numeric', 'Печень: левая доля, мм', 30, 150, '')
insert into dbdescription (Fieldname, Fieldtype, Descript, FieldMin, FieldMax, FieldFile) values ('liv_edge', 'enum', 'Контуры печени', 0, 0, 'contour')
insert into dbdescription (Fieldname, Fieldtype, Descript, FieldMin, FieldMax, FieldFile) values ('liv_echo', 'enum', 'Эхогенность печени', 0, 0, 'echo')
insert into dbdescription (Fieldname, Fieldtype, Descript, FieldMin, FieldMax, FieldFile) values ('portal', 'double', 'Диаметр воротной вены, мм', 5, 25, '')
insert into dbdescription (Fieldname, Fieldtype, Descript, FieldMin, FieldMax, FieldFile) values ('gb_len', 'numeric', 'Желчный пузырь: длина, мм', 20, 150, '')
insert into dbdescription (Fieldname, Fieldtype, Descript, FieldMin, FieldMax, FieldFile) values ('gb_wall', 'double', 'Толщина стенки желчного пузыря, мм', 1, 15, '')
insert into dbdescription (Fieldname, Fieldtype, Descript, FieldMin, FieldMax, FieldFile) values ('gb_stones', 'bool', 'Конкременты в желчном пузыре', 0, 0, '')
insert into dbdescription (Fieldname, Fieldtype, Descript, FieldMin, FieldMax, FieldFile) values ('stones_n', 'ordinal', 'Число конкрементов', 0, 0, '')
insert into dbdescription (Fieldname, Fieldtype, Descript, FieldMin, FieldMax, FieldFile) values ('choledoch', 'double', 'Диаметр холедоха, мм', 1, 20, '')
insert into dbdescription (Fieldname, Fieldtype, Descript, FieldMin, FieldMax, FieldFile) values ('panc_echo', 'enum', 'Эхогенность поджелудочной железы', 0, 0, 'echo')
insert into dbdescription (Fieldname, Fieldtype, Descript, FieldMin, FieldMax, FieldFile) values ('spleen', 'numeric', 'Селезенка: длина, мм', 50, 250, '')
insert into dbdescription (Fieldname, Fieldtype, Descript, FieldMin, FieldMax, FieldFile) values ('spl_struct', 'enum', 'Структура селезенки', 0, 0, 'structure')
insert into dbdescription (Fieldname, Fieldtype, Descript, FieldMin, FieldMax, FieldFile) values ('ascites', 'bool', 'Свободная жидкость в брюшной полости', 0, 0, '')
insert into dbdescription (Fieldname, Fieldtype, Descript, FieldMin, FieldMax, FieldFile) values ('conclusion', 'string', 'Заключение', 0, 0, '')
insert into dbdescription (Fieldname, Fieldtype, Descript, FieldMin, FieldMax, FieldFile) values ('advice', 'string', 'Рекомендации', 0, 0, '')

create table contour (code integer, name char(100))
insert into contour (code, name) values (1, 'ровные, четкие')
insert into contour (code, name) values (2, 'неровные')
insert into contour (code, name) values (3, 'бугристые')

create table echo (code integer, name char(100))
insert into echo (code, name) values (1, 'обычная')
insert into echo (code, name) values (2, 'повышена')
insert into echo (code, name) values (3, 'понижена')
insert into echo (code, name) values (4, 'неоднородная')

create table structure (code integer, name char(100))
insert into structure (code, name) values (1, 'однородная')
insert into structure (code, name) values (2, 'неоднородная')
insert into structure (code, name) values (3, 'с очаговыми изменениями')
