<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>kalvex</name>
    <message>
        <source>0102 - Датчик массового расхода воздуха, низкий уровень выходного сигнала</source>
        <translation>0102 - Mass air flow sensor, low output signal</translation>
    </message>
    <message>
        <source>0103 - Датчик массового расхода воздуха, высокий уровень выходного сигнала</source>
        <translation>0103 - Mass air flow sensor, high output signal</translation>
    </message>
    <message>
        <source>0112 - Датчик температуры впускного воздуха, низкий уровень выходного сигнала</source>
        <translation>0112 - Intake air temperature sensor, low output signal</translation>
    </message>
    <message>
        <source>0113 - Датчик температуры впускного воздуха, высокий уровень выходного сигнала</source>
        <translation>0113 - Intake air temperature sensor, high output signal</translation>
    </message>
    <message>
        <source>0115 - Неверный сигнал датчика температуры охлаждающей жидкости</source>
        <translation>0115 - Coolant temperature sensor, invalid signal</translation>
    </message>
    <message>
        <source>0116 - Датчик температуры охлаждающей жидкости, выход сигнала из допустимого диапазона</source>
        <translation>0116 - Coolant temperature sensor, signal out of range</translation>
    </message>
    <message>
        <source>0117 - Датчик температуры охлаждающей жидкости, низкий уровень выходного сигнала</source>
        <translation>0117 - Coolant temperature sensor, low output signal</translation>
    </message>
    <message>
        <source>0118 - Датчик температуры охлаждающей жидкости, высокий уровень выходного сигнала</source>
        <translation>0118 - Coolant temperature sensor, high output signal</translation>
    </message>
    <message>
        <source>0122 - Датчик положения дроссельной заслонки, низкий уровень выходного сигнала</source>
        <translation>0122 - Throttle position sensor, low output signal</translation>
    </message>
    <message>
        <source>0123 - Датчик положения дроссельной заслонки, высокий уровень выходного сигнала</source>
        <translation>0123 - Throttle position sensor, high output signal</translation>
    </message>
    <message>
        <source>0130 - Датчик кислорода до нейтрализатора неисправен</source>
        <translation>0130 - Upstream oxygen sensor (before catalyst) faulty</translation>
    </message>
    <message>
        <source>0131 - Датчик кислорода до нейтрализатора, низкий уровень выходного сигнала</source>
        <translation>0131 - Upstream oxygen sensor, low output signal</translation>
    </message>
    <message>
        <source>0132 - Датчик кислорода до нейтрализатора, высокий уровень выходного сигнала</source>
        <translation>0132 - Upstream oxygen sensor, high output signal</translation>
    </message>
    <message>
        <source>0133 - Датчик кислорода до нейтрализатора, медленный отклик на обогащение или обеднение</source>
        <translation>0133 - Upstream oxygen sensor, slow response to rich or lean</translation>
    </message>
    <message>
        <source>0134 - Датчик кислорода до нейтрализатора, обрыв цепи сигнала</source>
        <translation>0134 - Upstream oxygen sensor, signal circuit open</translation>
    </message>
    <message>
        <source>0135 - Датчика кислорода до нейтрализатора, нагреватель несправен</source>
        <translation>0135 - Upstream oxygen sensor, heater faulty</translation>
    </message>
    <message>
        <source>0136 - Датчик кислорода после нейтрализатора, обрыв цепи сигнала</source>
        <translation>0136 - Downstream oxygen sensor (after catalyst), signal circuit open</translation>
    </message>
    <message>
        <source>0137 - Датчик кислорода после нейтрализатора, низкий уровень сигнала</source>
        <translation>0137 - Downstream oxygen sensor, low signal</translation>
    </message>
    <message>
        <source>0138 - Датчик кислорода после нейтрализатора, высокий уровень сигнала</source>
        <translation>0138 - Downstream oxygen sensor, high signal</translation>
    </message>
    <message>
        <source>0140 - Датчик кислорода после нейтрализатора, обрыв цепи сигнала</source>
        <translation>0140 - Downstream oxygen sensor, signal circuit open</translation>
    </message>
    <message>
        <source>0141 - Датчика кислорода после нейтрализатора, нагреватель несправен</source>
        <translation>0141 - Downstream oxygen sensor, heater faulty</translation>
    </message>
    <message>
        <source>0171 - Система топливоподачи слишком бедная</source>
        <translation>0171 - Fuel system too lean</translation>
    </message>
    <message>
        <source>0172 - Система топливоподачи слишком богатая</source>
        <translation>0172 - Fuel system too rich</translation>
    </message>
    <message>
        <source>0200 - Цепь управления форсунками неисправна</source>
        <translation>0200 - Injector control circuit faulty</translation>
    </message>
    <message>
        <source>0201 - Цепь управления форсункой цилиндра №1, обрыв</source>
        <translation>0201 - Cylinder 1 injector control circuit, open</translation>
    </message>
    <message>
        <source>0202 - Цепь управления форсункой цилиндра №2, обрыв</source>
        <translation>0202 - Cylinder 2 injector control circuit, open</translation>
    </message>
    <message>
        <source>0203 - Цепь управления форсункой цилиндра №3, обрыв</source>
        <translation>0203 - Cylinder 3 injector control circuit, open</translation>
    </message>
    <message>
        <source>0204 - Цепь управления форсункой цилиндра №4, обрыв</source>
        <translation>0204 - Cylinder 4 injector control circuit, open</translation>
    </message>
    <message>
        <source>0261 - Цепь управления форсункой цилиндра №1, замыкание на землю</source>
        <translation>0261 - Cylinder 1 injector control circuit, short to ground</translation>
    </message>
    <message>
        <source>0262 - Цепь управления форсункой цилиндра №1, замыкание на +12В</source>
        <translation>0262 - Cylinder 1 injector control circuit, short to +12 V</translation>
    </message>
    <message>
        <source>0264 - Цепь управления форсункой цилиндра №2, замыкание на землю</source>
        <translation>0264 - Cylinder 2 injector control circuit, short to ground</translation>
    </message>
    <message>
        <source>0265 - Цепь управления форсункой цилиндра №2, замыкание на +12В</source>
        <translation>0265 - Cylinder 2 injector control circuit, short to +12 V</translation>
    </message>
    <message>
        <source>0267 - Цепь управления форсункой цилиндра №3, замыкание на землю</source>
        <translation>0267 - Cylinder 3 injector control circuit, short to ground</translation>
    </message>
    <message>
        <source>0268 - Цепь управления форсункой цилиндра №3, замыкание на +12В</source>
        <translation>0268 - Cylinder 3 injector control circuit, short to +12 V</translation>
    </message>
    <message>
        <source>0270 - Цепь управления форсункой цилиндра №4, замыкание на землю</source>
        <translation>0270 - Cylinder 4 injector control circuit, short to ground</translation>
    </message>
    <message>
        <source>0271 - Цепь управления форсункой цилиндра №4, замыкание на +12В</source>
        <translation>0271 - Cylinder 4 injector control circuit, short to +12 V</translation>
    </message>
    <message>
        <source>0300 - Обнаружены случайные или множественные пропуски воспламенения</source>
        <translation>0300 - Random or multiple misfires detected</translation>
    </message>
    <message>
        <source>0301 - Обнаружены пропуски воспламенения в 1-ом цилиндре</source>
        <translation>0301 - Misfire detected in cylinder 1</translation>
    </message>
    <message>
        <source>0302 - Обнаружены пропуски воспламенения в 2-ом цилиндре</source>
        <translation>0302 - Misfire detected in cylinder 2</translation>
    </message>
    <message>
        <source>0303 - Обнаружены пропуски воспламенения в 3-ем цилиндре</source>
        <translation>0303 - Misfire detected in cylinder 3</translation>
    </message>
    <message>
        <source>0304 - Обнаружены пропуски воспламенения в 4-ом цилиндре</source>
        <translation>0304 - Misfire detected in cylinder 4</translation>
    </message>
    <message>
        <source>0325 - Обрыв датчика детонации</source>
        <translation>0325 - Knock sensor circuit open</translation>
    </message>
    <message>
        <source>0327 - Датчик детонации, низкий уровень сигнала</source>
        <translation>0327 - Knock sensor, low signal</translation>
    </message>
    <message>
        <source>0328 - Датчик детонации, высокий уровень сигнала</source>
        <translation>0328 - Knock sensor, high signal</translation>
    </message>
    <message>
        <source>0335 - Датчик положения коленчатого вала, нет сигнала</source>
        <translation>0335 - Crankshaft position sensor, no signal</translation>
    </message>
    <message>
        <source>0336 - Датчик положения коленчатого вала, сигнал выходит за допустимые пределы</source>
        <translation>0336 - Crankshaft position sensor, signal out of range</translation>
    </message>
    <message>
        <source>0337 - Датчик положения коленчатого вала, замыкание цепи на массу</source>
        <translation>0337 - Crankshaft position sensor, circuit shorted to ground</translation>
    </message>
    <message>
        <source>0338 - Датчик положения коленчатого вала, обрыв цепи</source>
        <translation>0338 - Crankshaft position sensor, circuit open</translation>
    </message>
    <message>
        <source>0340 - Датчик положения распределительного вала неисправен (Ошибка датчика фазы)</source>
        <translation>0340 - Camshaft position sensor faulty (phase sensor fault)</translation>
    </message>
    <message>
        <source>0342 - Датчик положения распределительного вала низкий уровень сигнала</source>
        <translation>0342 - Camshaft position sensor, low signal</translation>
    </message>
    <message>
        <source>0343 - Датчик положения распределительного вала высокий уровень сигнала</source>
        <translation>0343 - Camshaft position sensor, high signal</translation>
    </message>
    <message>
        <source>0422 - Эффективность нейтрализатора ниже порога</source>
        <translation>0422 - Catalyst efficiency below threshold</translation>
    </message>
    <message>
        <source>0441 - Некорректный расход воздуха через клапан</source>
        <translation>0441 - Incorrect air flow through the purge valve</translation>
    </message>
    <message>
        <source>0443 - Управление клапаном продувки адсорбера неисправно</source>
        <translation>0443 - Canister purge valve control faulty</translation>
    </message>
    <message>
        <source>0444 - Замыкание на +12В, обрыв цепи клапана продувки адсорбера</source>
        <translation>0444 - Canister purge valve circuit open or shorted to +12 V</translation>
    </message>
    <message>
        <source>0445 - Замыкание на землю цепи клапана продувки адсорбера</source>
        <translation>0445 - Canister purge valve circuit shorted to ground</translation>
    </message>
    <message>
        <source>0480 - Цепь управления реле вентилятора 1; обрыв, замыкание на +12В или на землю</source>
        <translation>0480 - Fan relay 1 control circuit; open, short to +12 V or to ground</translation>
    </message>
    <message>
        <source>0481 - Цепь управления реле вентилятора 2; обрыв, замыкание на +12В или на землю</source>
        <translation>0481 - Fan relay 2 control circuit; open, short to +12 V or to ground</translation>
    </message>
    <message>
        <source>0500 - Датчик скорости автомобиля, нет сигнала</source>
        <translation>0500 - Vehicle speed sensor, no signal</translation>
    </message>
    <message>
        <source>0501 - Ошибка датчика скорости автомобиля</source>
        <translation>0501 - Vehicle speed sensor fault</translation>
    </message>
    <message>
        <source>0503 - Датчик скорости автомобиля, перемежающийся сигнал</source>
        <translation>0503 - Vehicle speed sensor, intermittent signal</translation>
    </message>
    <message>
        <source>0505 - Ошибка регулятора холостого хода</source>
        <translation>0505 - Idle air control fault</translation>
    </message>
    <message>
        <source>0506 - Регулятор холостого хода заблокирован, низкие обороты</source>
        <translation>0506 - Idle air control valve stuck, idle speed low</translation>
    </message>
    <message>
        <source>0507 - Регулятор холостого хода заблокирован, высокие обороты</source>
        <translation>0507 - Idle air control valve stuck, idle speed high</translation>
    </message>
    <message>
        <source>0560 - Бортовое напряжение ниже порога работоспособности системы</source>
        <translation>0560 - System voltage below the operating threshold</translation>
    </message>
    <message>
        <source>0562 - Бортовое напряжение имеет низкий уровень</source>
        <translation>0562 - System voltage low</translation>
    </message>
    <message>
        <source>0563 - Бортовое напряжение имеет высокий уровень</source>
        <translation>0563 - System voltage high</translation>
    </message>
    <message>
        <source>0601 - Неисправность FLASH-памяти</source>
        <translation>0601 - Flash memory fault</translation>
    </message>
    <message>
        <source>0603 - Неисправность ОЗУ блока управления </source>
        <translation>0603 - ECU RAM fault</translation>
    </message>
    <message>
        <source>0604 - Ошибка контрольной суммы внутреннего ОЗУ контроллера</source>
        <translation>0604 - ECU internal RAM checksum error</translation>
    </message>
    <message>
        <source>0607 - Неверный сигнал канала детонации контроллера</source>
        <translation>0607 - ECU knock channel, invalid signal</translation>
    </message>
    <message>
        <source>0615 - Цепь управления реле стартера, обрыв</source>
        <translation>0615 - Starter relay control circuit, open</translation>
    </message>
    <message>
        <source>0616 - Цепь управления реле стартера, замыкание на массу</source>
        <translation>0616 - Starter relay control circuit, short to ground</translation>
    </message>
    <message>
        <source>0617 - Цепь управления реле стартера, замыкание на +12В</source>
        <translation>0617 - Starter relay control circuit, short to +12 V</translation>
    </message>
    <message>
        <source>Ещё %1 кодов без описания: %2</source>
        <translation>No description for %1 more codes: %2</translation>
    </message>
    <message>
        <source>Ещё %1 код без описания: %2</source>
        <translation>No description for %1 more code: %2</translation>
    </message>
    <message>
        <source>Ещё %1 кода без описания: %2</source>
        <translation>No description for %1 more codes: %2</translation>
    </message>
    <message>
        <source>Ошибок нет</source>
        <translation>No fault codes stored</translation>
    </message>
    <message>
        <source> (нет доступа)</source>
        <translation> (no access)</translation>
    </message>
    <message>
        <source>нет такого порта</source>
        <translation>no such port</translation>
    </message>
    <message>
        <source>доступ запрещён (порт занят другой программой?)</source>
        <translation>access denied (port in use by another program?)</translation>
    </message>
    <message>
        <source>устройство не отвечает или отключено</source>
        <translation>the device does not respond or is disconnected</translation>
    </message>
    <message>
        <source>%1 (код %2)</source>
        <translation>%1 (code %2)</translation>
    </message>
    <message>
        <source>нет прав доступа</source>
        <translation>permission denied</translation>
    </message>
    <message>
        <source>нет такого файла или устройства</source>
        <translation>no such file or device</translation>
    </message>
    <message>
        <source>устройство отсутствует (адаптер отключён?)</source>
        <translation>device not present (adapter unplugged?)</translation>
    </message>
    <message>
        <source>занято другой программой</source>
        <translation>in use by another program</translation>
    </message>
    <message>
        <source>ошибка ввода-вывода (адаптер отключён или неисправен?)</source>
        <translation>input/output error (adapter unplugged or faulty?)</translation>
    </message>
    <message>
        <source>это не последовательный порт</source>
        <translation>not a serial port</translation>
    </message>
    <message>
        <source>это папка, а не файл или порт</source>
        <translation>this is a folder, not a file or port</translation>
    </message>
    <message>
        <source>часть пути не является папкой</source>
        <translation>part of the path is not a folder</translation>
    </message>
    <message>
        <source>нет места на диске</source>
        <translation>no space left on the disk</translation>
    </message>
    <message>
        <source>файловая система только для чтения</source>
        <translation>read-only file system</translation>
    </message>
    <message>
        <source>превышена дисковая квота</source>
        <translation>disk quota exceeded</translation>
    </message>
    <message>
        <source>слишком длинное имя</source>
        <translation>name too long</translation>
    </message>
    <message>
        <source>Нет прав на порт %1: добавьте пользователя в группу %2 (sudo usermod -aG %2 $USER) и войдите в систему заново.</source>
        <translation>No permission for port %1: add the user to the group %2 (sudo usermod -aG %2 $USER) and log in again.</translation>
    </message>
    <message>
        <source>, группа %1</source>
        <translation>, group %1</translation>
    </message>
    <message>
        <source>Нет прав на порт %1: устройство доступно только владельцу (права %2%3), вступление в группу не поможет. Попросите администратора дать доступ правилом udev (GROUP=&quot;dialout&quot;, MODE=&quot;0660&quot;) или запустите программу от его имени.</source>
        <translation>No permission for port %1: only the owner may use the device (mode %2%3), so joining a group will not help. Ask the administrator to grant access with a udev rule (GROUP=&quot;dialout&quot;, MODE=&quot;0660&quot;) or run the program as the owner.</translation>
    </message>
    <message>
        <source>Нет доступа к порту %1: порт занят другой программой или запрещён.</source>
        <translation>No access to port %1: the port is in use by another program or access is denied.</translation>
    </message>
    <message>
        <source>Порт %1 не найден: нет такого устройства (адаптер отключён?).</source>
        <translation>Port %1 not found: no such device (adapter unplugged?).</translation>
    </message>
    <message>
        <source>Не удалось открыть порт %1: %2</source>
        <translation>Cannot open port %1: %2</translation>
    </message>
    <message>
        <source>Устройство %1 не является последовательным портом: выберите порт адаптера (%2).</source>
        <translation>Device %1 is not a serial port: choose the adapter&apos;s port (%2).</translation>
    </message>
    <message>
        <source>Не удалось настроить порт %1: %2</source>
        <translation>Cannot set up port %1: %2</translation>
    </message>
    <message>
        <source>Ошибка чтения из порта %1: %2</source>
        <translation>Error reading from port %1: %2</translation>
    </message>
    <message>
        <source>Ошибка записи в порт %1: %2</source>
        <translation>Error writing to port %1: %2</translation>
    </message>
    <message>
        <source>Порт %1: адаптер не принимает данные (очередь записи заполнена)</source>
        <translation>Port %1: the adapter does not take data (write queue full)</translation>
    </message>
    <message>
        <source>Порт %1: %2</source>
        <translation>Port %1: %2</translation>
    </message>
    <message>
        <source>Не удалось подключиться к %s: %s</source>
        <translation>Cannot connect to %s: %s</translation>
    </message>
    <message>
        <source>Адаптер %s закрыл соединение</source>
        <translation>Adapter %s closed the connection</translation>
    </message>
    <message>
        <source>Соединение с адаптером %s потеряно: %s</source>
        <translation>Connection to adapter %s lost: %s</translation>
    </message>
    <message>
        <source>Неверный адрес адаптера: %s (нужно ХОСТ:ПОРТ)</source>
        <translation>Invalid adapter address: %s (HOST:PORT needed)</translation>
    </message>
    <message>
        <source>Не удалось записать LOG-файл в папку %1: %2.</source>
        <translation>Cannot write the LOG file in the folder %1: %2.</translation>
    </message>
    <message>
        <source>Не выбран COM-порт</source>
        <translation>No COM port selected</translation>
    </message>
    <message>
        <source>Начать тестирование</source>
        <translation>Start testing</translation>
    </message>
    <message>
        <source>Остановить тестирование</source>
        <translation>Stop testing</translation>
    </message>
    <message>
        <source>Связь с ЭБУ установлена</source>
        <translation>ECU link established</translation>
    </message>
    <message>
        <source>Нет связи с ЭБУ</source>
        <translation>No link to ECU</translation>
    </message>
    <message>
        <source>Адаптер не отвечает</source>
        <translation>Adapter not responding</translation>
    </message>
    <message>
        <source>Скорость</source>
        <translation>Speed</translation>
    </message>
    <message>
        <source>км/ч</source>
        <translation>km/h</translation>
    </message>
    <message>
        <source>Обороты</source>
        <translation>Engine speed</translation>
    </message>
    <message>
        <source>×100 об/мин</source>
        <translation>×100 rpm</translation>
    </message>
    <message>
        <source>об/мин</source>
        <translation>rpm</translation>
    </message>
    <message>
        <source>Температура ОЖ</source>
        <translation>Coolant temp.</translation>
    </message>
    <message>
        <source>Температура воздуха</source>
        <translation>Intake air temp.</translation>
    </message>
    <message>
        <source>Напряжение</source>
        <translation>Voltage</translation>
    </message>
    <message>
        <source>В</source>
        <translation>V</translation>
    </message>
    <message>
        <source>Дроссель</source>
        <translation>Throttle</translation>
    </message>
    <message>
        <source>Время впрыска</source>
        <translation>Injection time</translation>
    </message>
    <message>
        <source>мс</source>
        <translation>ms</translation>
    </message>
    <message>
        <source>Расход воздуха</source>
        <translation>Air flow</translation>
    </message>
    <message>
        <source>кг/ч</source>
        <translation>kg/h</translation>
    </message>
    <message>
        <source>Давление во впуске</source>
        <translation>Manifold pressure</translation>
    </message>
    <message>
        <source>кПа</source>
        <translation>kPa</translation>
    </message>
    <message>
        <source>Скорость,</source>
        <translation>Speed,</translation>
    </message>
    <message>
        <source>Обороты КВ,</source>
        <translation>Engine speed,</translation>
    </message>
    <message>
        <source>*100 об/мин</source>
        <translation>*100 rpm</translation>
    </message>
    <message>
        <source>охлаж. жид.</source>
        <translation>temperature</translation>
    </message>
    <message>
        <source>воздуха на впуске</source>
        <translation>temperature</translation>
    </message>
    <message>
        <source>Напряжение бортовой сети,</source>
        <translation>Battery voltage,</translation>
    </message>
    <message>
        <source>Положение</source>
        <translation>Throttle</translation>
    </message>
    <message>
        <source>дросселя</source>
        <translation>position</translation>
    </message>
    <message>
        <source>Время</source>
        <translation>Injection</translation>
    </message>
    <message>
        <source>впрыска</source>
        <translation>time</translation>
    </message>
    <message>
        <source>Расход</source>
        <translation>Air</translation>
    </message>
    <message>
        <source>воздуха</source>
        <translation>flow</translation>
    </message>
    <message>
        <source>Давление на</source>
        <translation>Manifold</translation>
    </message>
    <message>
        <source>впуске</source>
        <translation>pressure</translation>
    </message>
    <message>
        <source>LADA (ВАЗ)</source>
        <translation>LADA (VAZ)</translation>
    </message>
    <message>
        <source>Январь 5.1 P-83</source>
        <translation>January 5.1 P-83</translation>
    </message>
    <message>
        <source>Январь 5.1 Euro 2</source>
        <translation>January 5.1 Euro 2</translation>
    </message>
    <message>
        <source>Январь 7.2</source>
        <translation>January 7.2</translation>
    </message>
    <message>
        <source>М74 CAN / Bosch ME17.9.7 CAN / M75 / M86</source>
        <translation>M74 CAN / Bosch ME17.9.7 CAN / M75 / M86</translation>
    </message>
    <message>
        <source>GAZ (ГАЗ)</source>
        <translation>GAZ</translation>
    </message>
    <message>
        <source>Микас 10.3/11.3</source>
        <translation>Mikas 10.3/11.3</translation>
    </message>
    <message>
        <source>Микас 11 Euro-2</source>
        <translation>Mikas 11 Euro-2</translation>
    </message>
    <message>
        <source>UAZ (УАЗ)</source>
        <translation>UAZ</translation>
    </message>
    <message>
        <source>ZAZ(ЗАЗ)</source>
        <translation>ZAZ</translation>
    </message>
    <message>
        <source>Микас 7.6/10.3/11.3/10.3+/11.3+</source>
        <translation>Mikas 7.6/10.3/11.3/10.3+/11.3+</translation>
    </message>
    <message>
        <source>IZH(ИЖ)</source>
        <translation>IZH</translation>
    </message>
    <message>
        <source>Микас 7.6</source>
        <translation>Mikas 7.6</translation>
    </message>
    <message>
        <source>Общий K-Line (10H)</source>
        <translation>Generic K-Line (10H)</translation>
    </message>
    <message>
        <source>Общий CAN</source>
        <translation>Generic CAN</translation>
    </message>
    <message>
        <source>Марка авто. - Модель автомобиля(Контроллер) - Тип контроллера в ПО</source>
        <translation>Make - Car model (ECU) - ECU type to choose</translation>
    </message>
    <message>
        <source>LADA(ВАЗ) - Январь 5.1 Р-83 - &apos;Январь 5.1 Р-83&apos;</source>
        <translation>LADA(VAZ) - January 5.1 P-83 - &apos;January 5.1 P-83&apos;</translation>
    </message>
    <message>
        <source>LADA(ВАЗ) - Январь 5.1 Euro-2 - &apos;Январь 5.1 Euro-2&apos;</source>
        <translation>LADA(VAZ) - January 5.1 Euro-2 - &apos;January 5.1 Euro-2&apos;</translation>
    </message>
    <message>
        <source>LADA(ВАЗ) - Январь 7.2 - &apos;Январь 7.2&apos;</source>
        <translation>LADA(VAZ) - January 7.2 - &apos;January 7.2&apos;</translation>
    </message>
    <message>
        <source>LADA(ВАЗ) - Bosch MP7.0 Euro-2 - &apos;Bosch MP7.0&apos;</source>
        <translation>LADA(VAZ) - Bosch MP7.0 Euro-2 - &apos;Bosch MP7.0&apos;</translation>
    </message>
    <message>
        <source>LADA(ВАЗ) - Bosch MP7.0 Euro-3 - &apos;Bosch MP7.0&apos;</source>
        <translation>LADA(VAZ) - Bosch MP7.0 Euro-3 - &apos;Bosch MP7.0&apos;</translation>
    </message>
    <message>
        <source>LADA(ВАЗ) - Итэлма М73 - &apos;М73 / Bosch M7.9.7&apos;</source>
        <translation>LADA(VAZ) - Itelma M73 - &apos;M73 / Bosch M7.9.7&apos;</translation>
    </message>
    <message>
        <source>LADA(ВАЗ) - Bosch M7.9.7 Euro-2 - &apos;М73 / Bosch M7.9.7&apos;</source>
        <translation>LADA(VAZ) - Bosch M7.9.7 Euro-2 - &apos;M73 / Bosch M7.9.7&apos;</translation>
    </message>
    <message>
        <source>LADA(ВАЗ) - Bosch M7.9.7 Euro-3 - &apos;М73 / Bosch M7.9.7&apos;</source>
        <translation>LADA(VAZ) - Bosch M7.9.7 Euro-3 - &apos;M73 / Bosch M7.9.7&apos;</translation>
    </message>
    <message>
        <source>LADA(ВАЗ) - Bosch ME17.9.7 Euro-3 -  &apos;M74 / Bosch ME17.9.7&apos;</source>
        <translation>LADA(VAZ) - Bosch ME17.9.7 Euro-3 -  &apos;M74 / Bosch ME17.9.7&apos;</translation>
    </message>
    <message>
        <source>LADA(ВАЗ) - Итэлма М74 - &apos;M74 / Bosch ME17.9.7&apos;</source>
        <translation>LADA(VAZ) - Itelma M74 - &apos;M74 / Bosch ME17.9.7&apos;</translation>
    </message>
    <message>
        <source>LADA(ВАЗ) - Итэлма М74 CAN - &apos;М74 CAN / Bosch ME17.9.7 CAN / M75 / M86&apos;</source>
        <translation>LADA(VAZ) - Itelma M74 CAN - &apos;M74 CAN / Bosch ME17.9.7 CAN / M75 / M86&apos;</translation>
    </message>
    <message>
        <source>LADA(ВАЗ) - Bosch ME17.9.7 CAN - &apos;М74 CAN / Bosch ME17.9.7 CAN / M75 / M86&apos;</source>
        <translation>LADA(VAZ) - Bosch ME17.9.7 CAN - &apos;M74 CAN / Bosch ME17.9.7 CAN / M75 / M86&apos;</translation>
    </message>
    <message>
        <source>LADA(ВАЗ) - Итэлма М75 - &apos;М74 CAN / Bosch ME17.9.7 CAN / M75 / M86&apos;</source>
        <translation>LADA(VAZ) - Itelma M75 - &apos;M74 CAN / Bosch ME17.9.7 CAN / M75 / M86&apos;</translation>
    </message>
    <message>
        <source>LADA(ВАЗ) - Итэлма М86 - &apos;М74 CAN / Bosch ME17.9.7 CAN / M75 / M86&apos;</source>
        <translation>LADA(VAZ) - Itelma M86 - &apos;M74 CAN / Bosch ME17.9.7 CAN / M75 / M86&apos;</translation>
    </message>
    <message>
        <source>CHEVROLET-NIVA - Bosch M7.9.7 Euro-2 - &apos;М73 / Bosch M7.9.7&apos;</source>
        <translation>CHEVROLET-NIVA - Bosch M7.9.7 Euro-2 - &apos;M73 / Bosch M7.9.7&apos;</translation>
    </message>
    <message>
        <source>CHEVROLET-NIVA - Bosch M7.9.7 Euro-3 - &apos;М73 / Bosch M7.9.7&apos;</source>
        <translation>CHEVROLET-NIVA - Bosch M7.9.7 Euro-3 - &apos;M73 / Bosch M7.9.7&apos;</translation>
    </message>
    <message>
        <source>GAZ(ГАЗ) - Bosch ME17.9.7 Euro-3 - &apos;Bosch ME17.9.7 Euro-3&apos;</source>
        <translation>GAZ - Bosch ME17.9.7 Euro-3 - &apos;Bosch ME17.9.7 Euro-3&apos;</translation>
    </message>
    <message>
        <source>GAZ(ГАЗ) - Микас 10.3/11.3 - &apos;Микас 10.3/11.3&apos;</source>
        <translation>GAZ - Mikas 10.3/11.3 - &apos;Mikas 10.3/11.3&apos;</translation>
    </message>
    <message>
        <source>GAZ(ГАЗ) - Микас 11 Euro-2 - &apos;Микас 11 Euro-2&apos;</source>
        <translation>GAZ - Mikas 11 Euro-2 - &apos;Mikas 11 Euro-2&apos;</translation>
    </message>
    <message>
        <source>GAZ(ГАЗ) - Bosch ME17.9.7 Euro-4 - &apos;Bosch ME17.9.7 Euro-4&apos;</source>
        <translation>GAZ - Bosch ME17.9.7 Euro-4 - &apos;Bosch ME17.9.7 Euro-4&apos;</translation>
    </message>
    <message>
        <source>GAZ(ГАЗ) - Bosch ME17.9.71 Euro-5 - &apos;Bosch ME17.9.71 Euro-5&apos;</source>
        <translation>GAZ - Bosch ME17.9.71 Euro-5 - &apos;Bosch ME17.9.71 Euro-5&apos;</translation>
    </message>
    <message>
        <source>UAZ(УАЗ) - Bosch ME17.9.7 Euro-3 - &apos;Bosch ME17.9.7 Euro-3&apos;</source>
        <translation>UAZ - Bosch ME17.9.7 Euro-3 - &apos;Bosch ME17.9.7 Euro-3&apos;</translation>
    </message>
    <message>
        <source>UAZ(УАЗ) - Микас 10.3/11.3 - &apos;Микас 10.3/11.3&apos;</source>
        <translation>UAZ - Mikas 10.3/11.3 - &apos;Mikas 10.3/11.3&apos;</translation>
    </message>
    <message>
        <source>UAZ(УАЗ) - Микас 11 Euro-2 - &apos;Микас 11 Euro-2&apos;</source>
        <translation>UAZ - Mikas 11 Euro-2 - &apos;Mikas 11 Euro-2&apos;</translation>
    </message>
    <message>
        <source>UAZ(УАЗ) - Bosch ME17.9.7 Euro-4 - &apos;Bosch ME17.9.7 Euro-4&apos;</source>
        <translation>UAZ - Bosch ME17.9.7 Euro-4 - &apos;Bosch ME17.9.7 Euro-4&apos;</translation>
    </message>
    <message>
        <source>ZAZ(ЗАЗ) - Микас 7.6 - &apos;Микас 7.6/10.3/11.3/10.3+/11.3+&apos;</source>
        <translation>ZAZ - Mikas 7.6 - &apos;Mikas 7.6/10.3/11.3/10.3+/11.3+&apos;</translation>
    </message>
    <message>
        <source>ZAZ(ЗАЗ) - Микас 10.3/11.3 - &apos;Микас 7.6/10.3/11.3/10.3+/11.3+&apos;</source>
        <translation>ZAZ - Mikas 10.3/11.3 - &apos;Mikas 7.6/10.3/11.3/10.3+/11.3+&apos;</translation>
    </message>
    <message>
        <source>ZAZ(ЗАЗ) - Микас 10.3+/11.3+ - &apos;Микас 7.6/10.3/11.3/10.3+/11.3+&apos;</source>
        <translation>ZAZ - Mikas 10.3+/11.3+ - &apos;Mikas 7.6/10.3/11.3/10.3+/11.3+&apos;</translation>
    </message>
    <message>
        <source>IZH(ИЖ)  - Микас 7.6 - &apos;Микас 7.6/10.3/11.3/10.3+/11.3+&apos;</source>
        <translation>IZH  - Mikas 7.6 - &apos;Mikas 7.6/10.3/11.3/10.3+/11.3+&apos;</translation>
    </message>
    <message>
        <source>NISSAN - ECU: Общий K-line (10H) - &apos;Общий K-line (10H)&apos;</source>
        <translation>NISSAN - ECU: Generic K-line (10H) - &apos;Generic K-line (10H)&apos;</translation>
    </message>
    <message>
        <source>NISSAN - ECU: Общий CAN - &apos;Общий CAN&apos;</source>
        <translation>NISSAN - ECU: Generic CAN - &apos;Generic CAN&apos;</translation>
    </message>
    <message>
        <source>нет такой папки</source>
        <translation>no such folder</translation>
    </message>
    <message>
        <source>Температура</source>
        <comment>first line over the coolant temperature</comment>
        <translation>Coolant</translation>
    </message>
    <message>
        <source>Температура</source>
        <comment>first line over the intake air temperature</comment>
        <translation>Intake air</translation>
    </message>
    <message>
        <source>Адаптер не найден: подключите USB-адаптер, привяжите Bluetooth-адаптер или выберите «Wi-Fi адаптер…»</source>
        <translation>No adapter found: plug in a USB adapter, pair a Bluetooth adapter or choose “Wi-Fi adapter…”</translation>
    </message>
    <message>
        <source>Адаптер не найден: подключите USB-адаптер или привяжите Bluetooth-адаптер; Wi-Fi адаптер укажите как --port tcp://ХОСТ:ПОРТ, другое устройство — как --port ПУТЬ.</source>
        <translation>No adapter found: plug in a USB adapter or pair a Bluetooth adapter; give a Wi-Fi adapter as --port tcp://HOST:PORT, any other device as --port PATH.</translation>
    </message>
    <message>
        <source>Протокол: %1</source>
        <translation>Protocol: %1</translation>
    </message>
    <message>
        <source>(найден автоматическим поиском)</source>
        <translation>(found by the automatic search)</translation>
    </message>
    <message>
        <source>Напряжение адаптера: %1 В</source>
        <translation>Adapter voltage: %1 V</translation>
    </message>
    <message>
        <source>Ответившие блоки: %1</source>
        <translation>ECUs that answered: %1</translation>
    </message>
    <message>
        <source>VIN (%1): %2</source>
        <translation>VIN (%1): %2</translation>
    </message>
    <message>
        <source>Калибровка (%1): %2</source>
        <translation>Calibration ID (%1): %2</translation>
    </message>
    <message>
        <source>Имя блока (%1): %2</source>
        <translation>ECU name (%1): %2</translation>
    </message>
    <message>
        <source>Лампа MIL: горит, подтверждённых кодов: %1</source>
        <translation>MIL: on, confirmed codes: %1</translation>
    </message>
    <message>
        <source>Лампа MIL: не горит, подтверждённых кодов: %1</source>
        <translation>MIL: off, confirmed codes: %1</translation>
    </message>
    <message>
        <source>Коды неисправностей: нет</source>
        <translation>Trouble codes: none</translation>
    </message>
    <message>
        <source>Коды неисправностей:</source>
        <translation>Trouble codes:</translation>
    </message>
    <message>
        <source>сохранённый</source>
        <translation>stored</translation>
    </message>
    <message>
        <source>ожидающий</source>
        <translation>pending</translation>
    </message>
    <message>
        <source>постоянный</source>
        <translation>permanent</translation>
    </message>
    <message>
        <source>Готовность систем (%1):</source>
        <translation>Readiness (%1):</translation>
    </message>
    <message>
        <source>готово</source>
        <translation>complete</translation>
    </message>
    <message>
        <source>не готово</source>
        <translation>not complete</translation>
    </message>
    <message>
        <source>Стоп-кадр (%1), код %2:</source>
        <translation>Freeze frame (%1), code %2:</translation>
    </message>
    <message>
        <source>Параметры (%1):</source>
        <translation>PIDs (%1):</translation>
    </message>
    <message>
        <source>Коды неисправностей стёрты</source>
        <translation>Trouble codes cleared</translation>
    </message>
    <message>
        <source>Блок управления отказался стереть коды: %1</source>
        <translation>The ECU refused to clear the codes: %1</translation>
    </message>
    <message>
        <source>Ни один блок не ответил на запрос стирания кодов</source>
        <translation>No ECU answered the request to clear the codes</translation>
    </message>
    <message>
        <source>Стереть коды неисправностей и стоп-кадр? Лампа MIL погаснет, готовность систем будет сброшена. [y/N] </source>
        <translation>Clear the trouble codes and the freeze frame? The MIL goes out and the readiness monitors are reset. [y/N] </translation>
    </message>
    <message>
        <source>Стирание кодов требует подтверждения: запустите в терминале или добавьте --yes</source>
        <translation>Clearing the codes needs a confirmation: run it in a terminal or add --yes</translation>
    </message>
    <message>
        <source>Стирание кодов отменено</source>
        <translation>Clearing the codes cancelled</translation>
    </message>
    <message>
        <source>Опрашивать нечего: блоки не поддерживают ни одного из выбранных параметров</source>
        <translation>Nothing to poll: the ECUs support none of the PIDs chosen</translation>
    </message>
    <message>
        <source>Автомобиль не отвечает: адаптер не смог установить связь (%1)</source>
        <translation>The car does not answer: the adapter could not connect (%1)</translation>
    </message>
    <message>
        <source>Адаптер не назвал протокол связи с автомобилем</source>
        <translation>The adapter did not name the protocol it uses with the car</translation>
    </message>
    <message>
        <source>Не удалось записать в порт</source>
        <translation>Cannot write to the port</translation>
    </message>
    <message>
        <source>Адаптер Kesta-mini не поддерживает режим OBD-II: он связывается только с одним блоком управления по его адресу. Выберите адаптер ELM327.</source>
        <translation>The Kesta-mini adapter cannot do generic OBD-II: it talks to one control unit by its address. Choose an ELM327 adapter.</translation>
    </message>
    <message>
        <source>Адаптер: ELM327</source>
        <translation>Adapter: ELM327</translation>
    </message>
    <message>
        <source>Адаптер: Kesta-mini</source>
        <translation>Adapter: Kesta-mini</translation>
    </message>
    <message>
        <source>Температура</source>
        <translation>Temperature</translation>
    </message>
    <message>
        <source>Уровень</source>
        <translation>Fuel</translation>
    </message>
    <message>
        <source>топлива</source>
        <translation>level</translation>
    </message>
    <message>
        <source>Настройка адаптера</source>
        <translation>Setting up the adapter</translation>
    </message>
    <message>
        <source>Поиск протокола</source>
        <translation>Searching for the protocol</translation>
    </message>
    <message>
        <source>Опрос поддерживаемых параметров</source>
        <translation>Asking for the supported PIDs</translation>
    </message>
    <message>
        <source>Чтение ошибок и данных автомобиля</source>
        <translation>Reading codes and vehicle information</translation>
    </message>
    <message>
        <source>Блок управления отказался стереть коды</source>
        <translation>The ECU refused to clear the codes</translation>
    </message>
    <message>
        <source>Сохранение уже идёт</source>
        <translation>A save is already running</translation>
    </message>
    <message>
        <source>Обороты двигателя,</source>
        <translation>Engine speed,</translation>
    </message>
    <message>
        <source>Расчётная</source>
        <translation>Calculated</translation>
    </message>
    <message>
        <source>нагрузка</source>
        <translation>load</translation>
    </message>
    <message>
        <source>Подключение к %1…</source>
        <translation>Connecting to %1…</translation>
    </message>
    <message>
        <source>Коды не стёрты: сеанс связи с автомобилем завершён</source>
        <translation>Codes not cleared: the session with the car has ended</translation>
    </message>
    <message>
        <source>Коды не стёрты: дождитесь окончания опроса блоков управления</source>
        <translation>Codes not cleared: wait until the ECUs have been polled</translation>
    </message>
    <message>
        <source>Стирание кодов не подтверждено: сеанс завершился раньше ответа блоков управления</source>
        <translation>Clearing the codes was not confirmed: the session ended before the ECUs answered</translation>
    </message>
</context>
<context>
    <name>kalvex::AboutPage</name>
    <message>
        <source>Диагностический сканер для контроллеров ЭСУД (Kalvex).</source>
        <translation>Diagnostic scanner for engine control units (Kalvex).</translation>
    </message>
    <message>
        <source>Программа для чтения параметров и ошибок контроллеров ЭСУД.</source>
        <translation>Reads live data and fault codes of engine control units.</translation>
    </message>
    <message>
        <source>Программа работает с адаптером Kesta-mini и адаптерами на </source>
        <translation>Works with the Kesta-mini adapter and with adapters </translation>
    </message>
    <message>
        <source>базе ELM327.</source>
        <translation>based on the ELM327.</translation>
    </message>
    <message>
        <source>Версия 1.5</source>
        <translation>Version 1.5</translation>
    </message>
    <message>
        <source>Разработка: Brenvik</source>
        <translation>Developed by Brenvik</translation>
    </message>
    <message>
        <source>Сайт: kalvex.example.org</source>
        <translation>Website: kalvex.example.org</translation>
    </message>
    <message>
        <source>Вопросы и предложения: support@kalvex.example.org</source>
        <translation>Questions and suggestions: support@kalvex.example.org</translation>
    </message>
    <message>
        <source>Язык:</source>
        <translation>Language:</translation>
    </message>
    <message>
        <source>Язык сменится при следующем запуске программы.</source>
        <translation>The language changes when Kalvex is started again.</translation>
    </message>
    <message>
        <source>Журналы обмена (LOG-файлы): %1</source>
        <translation>Exchange logs (LOG files): %1</translation>
    </message>
    <message>
        <source>  (если в эту папку нельзя писать: %1)</source>
        <translation>  (if this folder is not writable: %1)</translation>
    </message>
    <message>
        <source>  (в папку рядом с программой %1 писать нельзя)</source>
        <translation>  (the folder beside the program, %1, is not writable)</translation>
    </message>
    <message>
        <source>Настройки: реестр, %1</source>
        <translation>Settings: registry, %1</translation>
    </message>
    <message>
        <source>Настройки: %1</source>
        <translation>Settings: %1</translation>
    </message>
</context>
<context>
    <name>kalvex::Banner</name>
    <message>
        <source>Диагностика ЭСУД: параметры, ошибки, K-Line и CAN</source>
        <translation>Engine diagnostics: live data, fault codes, K-Line and CAN</translation>
    </message>
</context>
<context>
    <name>kalvex::ChartPage</name>
    <message>
        <source>Не удалось записать %1: %2</source>
        <translation>Cannot write %1: %2</translation>
    </message>
    <message>
        <source>Не удалось записать %1: пустое изображение</source>
        <translation>Cannot write %1: empty image</translation>
    </message>
    <message>
        <source>по данным</source>
        <translation>fit to data</translation>
    </message>
    <message>
        <source>Шкалы по значениям на экране, а не по диапазону приборов</source>
        <translation>Scales from the values on screen, not from the gauge ranges</translation>
    </message>
    <message>
        <source>К концу</source>
        <translation>To the end</translation>
    </message>
    <message>
        <source>Следить за новыми значениями (End)</source>
        <translation>Follow the newest values (End)</translation>
    </message>
    <message>
        <source>Колесо мыши: масштаб времени; перетаскивание: сдвиг; End: к концу</source>
        <translation>Mouse wheel: time scale; drag: scroll; End: to the end</translation>
    </message>
    <message>
        <source>Сохранить значения сеанса в CSV</source>
        <translation>Save the session&apos;s values as CSV</translation>
    </message>
    <message>
        <source>Сохранить график в PNG</source>
        <translation>Save the chart as PNG</translation>
    </message>
    <message>
        <source>Строк: %1</source>
        <translation>Rows: %1</translation>
    </message>
    <message>
        <source> (старые %1 отброшены: хранится не более %2)</source>
        <translation> (%1 oldest dropped: at most %2 are kept)</translation>
    </message>
    <message>
        <source>Сохранить значения</source>
        <translation>Save values</translation>
    </message>
    <message>
        <source>Сохранить график</source>
        <translation>Save chart</translation>
    </message>
    <message>
        <source>Сохранение</source>
        <translation>Saving</translation>
    </message>
</context>
<context>
    <name>kalvex::FaultReadNote</name>
    <message>
        <source>Чтение ошибок: параметры не обновляются</source>
        <translation>Reading fault codes: live data paused</translation>
    </message>
    <message>
        <source>Чтобы они снова обновлялись, нажмите:</source>
        <translation>To get it back, press:</translation>
    </message>
    <message>
        <source>Продолжить чтение параметров</source>
        <translation>Resume live data</translation>
    </message>
</context>
<context>
    <name>kalvex::FaultsPage</name>
    <message>
        <source>Неисправности электронной системы управления двигателем</source>
        <translation>Engine management system faults</translation>
    </message>
    <message>
        <source>Сброс ошибок</source>
        <translation>Clear faults</translation>
    </message>
    <message>
        <source>Прочитать ошибки</source>
        <translation>Read faults</translation>
    </message>
    <message>
        <source>Стереть коды неисправностей в ЭБУ?</source>
        <translation>Erase the fault codes stored in the ECU?</translation>
    </message>
    <message>
        <source>Стереть</source>
        <translation>Erase</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>kalvex::MainWindow</name>
    <message>
        <source>Диагностический сканер для контроллеров ЭСУД (Kalvex)</source>
        <translation>Diagnostic scanner for engine control units (Kalvex)</translation>
    </message>
    <message>
        <source>О программе</source>
        <translation>About</translation>
    </message>
    <message>
        <source>Графики</source>
        <translation>Charts</translation>
    </message>
    <message>
        <source>Параметры</source>
        <translation>Live data</translation>
    </message>
    <message>
        <source>Выберите марку автомобиля и тип контроллера</source>
        <translation>Choose the car make and the ECU type</translation>
    </message>
    <message>
        <source>Ошибки</source>
        <translation>Faults</translation>
    </message>
    <message>
        <source>Список автомобилей</source>
        <translation>Vehicle list</translation>
    </message>
    <message>
        <source>Номер COM-порта:</source>
        <translation>COM port:</translation>
    </message>
    <message>
        <source>Выбор адаптера</source>
        <translation>Adapter</translation>
    </message>
    <message>
        <source>Выбор марки автомобиля</source>
        <translation>Car make</translation>
    </message>
    <message>
        <source>Выбор типа контроллера</source>
        <translation>ECU type</translation>
    </message>
    <message>
        <source>Запись LOG-файла</source>
        <translation>Write LOG file</translation>
    </message>
    <message>
        <source>Связь с контроллером:    </source>
        <translation>ECU link:    </translation>
    </message>
    <message>
        <source>OBD-II (любой автомобиль)</source>
        <translation>OBD-II (any car)</translation>
    </message>
    <message>
        <source>Автоопределение</source>
        <translation>Automatic</translation>
    </message>
</context>
<context>
    <name>kalvex::ObdDashboard</name>
    <message>
        <source>Чтение ошибок: параметры не обновляются</source>
        <translation>Reading fault codes: live data paused</translation>
    </message>
</context>
<context>
    <name>kalvex::ObdFaultsView</name>
    <message>
        <source>Код</source>
        <translation>Code</translation>
    </message>
    <message>
        <source>Вид</source>
        <translation>Kind</translation>
    </message>
    <message>
        <source>Блок</source>
        <translation>ECU</translation>
    </message>
    <message>
        <source>Описание</source>
        <translation>Description</translation>
    </message>
    <message>
        <source>Готовность систем</source>
        <translation>Readiness</translation>
    </message>
    <message>
        <source>Стоп-кадр</source>
        <translation>Freeze frame</translation>
    </message>
    <message>
        <source>Параметр</source>
        <translation>Parameter</translation>
    </message>
    <message>
        <source>Значение</source>
        <translation>Value</translation>
    </message>
    <message>
        <source>Прочитать ошибки</source>
        <translation>Read faults</translation>
    </message>
    <message>
        <source>Сброс ошибок</source>
        <translation>Clear faults</translation>
    </message>
    <message>
        <source>Стереть</source>
        <translation>Erase</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Стереть коды неисправностей? Вместе с ними стираются стоп-кадр и сбрасываются мониторы готовности систем: до новых поездок машина не пройдёт проверку готовности. Лампа MIL погаснет, если неисправность устранена.</source>
        <translation>Clear the trouble codes? The freeze frame is erased with them and the readiness monitors are reset: the car will not pass a readiness check until it has been driven again. The MIL goes out if the fault is gone.</translation>
    </message>
    <message>
        <source>сохранённый</source>
        <translation>stored</translation>
    </message>
    <message>
        <source>ожидающий</source>
        <translation>pending</translation>
    </message>
    <message>
        <source>постоянный</source>
        <translation>permanent</translation>
    </message>
    <message>
        <source>готова</source>
        <translation>ready</translation>
    </message>
    <message>
        <source>не готова</source>
        <translation>not ready</translation>
    </message>
    <message>
        <source>готово</source>
        <translation>ready</translation>
    </message>
    <message>
        <source>не готово</source>
        <translation>not ready</translation>
    </message>
    <message>
        <source>готовы</source>
        <translation>ready</translation>
    </message>
    <message>
        <source>не готовы</source>
        <translation>not ready</translation>
    </message>
    <message>
        <source>готов</source>
        <translation>ready</translation>
    </message>
    <message>
        <source>не готов</source>
        <translation>not ready</translation>
    </message>
    <message>
        <source>Лампа MIL: горит, подтверждённых кодов: %1</source>
        <translation>MIL: on, confirmed codes: %1</translation>
    </message>
    <message>
        <source>Лампа MIL: не горит, подтверждённых кодов: %1</source>
        <translation>MIL: off, confirmed codes: %1</translation>
    </message>
    <message>
        <source>Кодов неисправностей нет</source>
        <translation>No trouble codes</translation>
    </message>
    <message>
        <source>не поддерживается</source>
        <translation>not supported</translation>
    </message>
    <message>
        <source>Стоп-кадр: код %1, %2</source>
        <translation>Freeze frame: code %1, %2</translation>
    </message>
</context>
<context>
    <name>kalvex::ObdPanel</name>
    <message>
        <source>Все параметры</source>
        <translation>All parameters</translation>
    </message>
    <message>
        <source>Сохранить CSV</source>
        <translation>Save CSV</translation>
    </message>
    <message>
        <source>Таблицы CSV (*.csv)</source>
        <translation>CSV tables (*.csv)</translation>
    </message>
</context>
<context>
    <name>kalvex::ObdParamsPage</name>
    <message>
        <source>Параметр</source>
        <translation>Parameter</translation>
    </message>
    <message>
        <source>Значение</source>
        <translation>Value</translation>
    </message>
    <message>
        <source>Мин.</source>
        <translation>Min</translation>
    </message>
    <message>
        <source>Макс.</source>
        <translation>Max</translation>
    </message>
    <message>
        <source>Блок</source>
        <translation>ECU</translation>
    </message>
    <message>
        <source>Сохранить CSV</source>
        <translation>Save CSV</translation>
    </message>
    <message>
        <source>На график</source>
        <translation>To chart</translation>
    </message>
    <message>
        <source>Добавить выбранный параметр на вкладку «Графики»</source>
        <translation>Add the selected parameter to the “Charts” tab</translation>
    </message>
</context>
<context>
    <name>kalvex::PortPicker</name>
    <message>
        <source>Wi-Fi адаптер…</source>
        <translation>Wi-Fi adapter…</translation>
    </message>
    <message>
        <source>Wi-Fi адаптер</source>
        <translation>Wi-Fi adapter</translation>
    </message>
    <message>
        <source>Подключите компьютер к сети Wi-Fi адаптера
и введите его адрес и порт (ХОСТ:ПОРТ):</source>
        <translation>Connect the computer to the adapter&apos;s Wi-Fi network
and enter its address and port (HOST:PORT):</translation>
    </message>
    <message>
        <source>ОК</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Неверный адрес: нужно ХОСТ:ПОРТ</source>
        <translation>Invalid address: HOST:PORT needed</translation>
    </message>
    <message>
        <source>Адаптер Wi-Fi: подключитесь к его сети и укажите адрес ХОСТ:ПОРТ</source>
        <translation>Wi-Fi adapter: join its network and enter the address HOST:PORT</translation>
    </message>
</context>
<context>
    <name>kalvex::StripChart</name>
    <message>
        <source>Нет выбранных величин</source>
        <translation>No quantities selected</translation>
    </message>
</context>
<context>
    <name>language</name>
    <message>
        <source>Русский</source>
        <translation>English</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>%1: строк %2</source>
        <translation>%1: %2 rows</translation>
    </message>
    <message>
        <source>; значений за пределами ±3.4e38: %1 (показаны на границе)</source>
        <translation>; values beyond ±3.4e38: %1 (drawn at the limit)</translation>
    </message>
    <message>
        <source>kalvex: нет графического дисплея (не заданы DISPLAY и WAYLAND_DISPLAY); запустите программу в графическом сеансе или воспользуйтесь kalvex-cli</source>
        <translation>kalvex: no graphical display (neither DISPLAY nor WAYLAND_DISPLAY is set); start the program in a graphical session or use kalvex-cli</translation>
    </message>
    <message>
        <source>kalvex: не удалось открыть графический дисплей (%1)</source>
        <translation>kalvex: cannot open the graphical display (%1)</translation>
    </message>
    <message>
        <source>Демо (симулятор)</source>
        <translation>Demo (simulator)</translation>
    </message>
</context>
</TS>
