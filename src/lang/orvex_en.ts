<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="pl">
<context>
    <name>ChannelPanel</name>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>Adapter: %1</source>
        <translation>Adapter: %1</translation>
    </message>
    <message>
        <source>Adapter: —</source>
        <translation>Adapter: —</translation>
    </message>
    <message>
        <source>Port otwarty</source>
        <translation>Port open</translation>
    </message>
    <message>
        <source>Port zamknięty</source>
        <translation>Port closed</translation>
    </message>
    <message>
        <source>Port zamknięty: %1</source>
        <translation>Port closed: %1</translation>
    </message>
    <message>
        <source>Numer seryjny: %1</source>
        <translation>Serial number: %1</translation>
    </message>
    <message>
        <source>Numer seryjny: —</source>
        <translation>Serial number: —</translation>
    </message>
    <message>
        <source>Dobre: %1   Złe: %2</source>
        <translation>Good: %1   Bad: %2</translation>
    </message>
    <message>
        <source>Start (%1)</source>
        <translation>Start (%1)</translation>
    </message>
    <message>
        <source>Gotowy...</source>
        <translation>Ready...</translation>
    </message>
</context>
<context>
    <name>CliRun</name>
    <message>
        <source>%1 is not used without --program or --verify</source>
        <translation>%1 is not used without --program or --verify</translation>
    </message>
    <message>
        <source>job %1 does not run on port %2</source>
        <translation>job %1 does not run on port %2</translation>
    </message>
    <message>
        <source>firmware file %1 has SHA-256 %2, but job %3 was written for SHA-256 %4</source>
        <translation>firmware file %1 has SHA-256 %2, but job %3 was written for SHA-256 %4</translation>
    </message>
    <message>
        <source>job %1 numbers its units, which needs the records database, and records are off; nothing was sent</source>
        <translation>job %1 numbers its units, which needs the records database, and records are off; nothing was sent</translation>
    </message>
    <message>
        <source>with several ports, %1 needs {port} in its name, so that each unit has a file of its own</source>
        <translation>with several ports, %1 needs {port} in its name, so that each unit has a file of its own</translation>
    </message>
    <message>
        <source>port %1 is given twice</source>
        <translation>port %1 is given twice</translation>
    </message>
    <message>
        <source>ports %1 and %2 would both fill {port} with %3</source>
        <translation>ports %1 and %2 would both fill {port} with %3</translation>
    </message>
    <message>
        <source>%1 of %2 units OK</source>
        <translation>%1 of %2 units OK</translation>
    </message>
</context>
<context>
    <name>ConsolePresenter</name>
    <message>
        <source>cannot write %1: %2</source>
        <translation>cannot write %1: %2</translation>
    </message>
</context>
<context>
    <name>DialogTemplate</name>
    <message>
        <source>Sprawdz Polaczenie</source>
        <translation>Check connection</translation>
    </message>
    <message>
        <source>Skasuj Pamiec</source>
        <translation>Erase memory</translation>
    </message>
    <message>
        <source>Testuj Czystosc</source>
        <translation>Blank test</translation>
    </message>
    <message>
        <source>Programuj</source>
        <translation>Program</translation>
    </message>
    <message>
        <source>Weryfikuj</source>
        <translation>Verify</translation>
    </message>
    <message>
        <source>Odczytaj</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>Programator Orvex v1.1a dla ukladu SDA5555FL </source>
        <translation>Orvex Programmer v1.1a for SDA5555FL </translation>
    </message>
    <message>
        <source>Zamknij</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Plik</source>
        <translation>File</translation>
    </message>
    <message>
        <source>Nazwa:</source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>Kompilacja:</source>
        <translation>Built:</translation>
    </message>
    <message>
        <source>Rozmiar:</source>
        <translation>Size:</translation>
    </message>
    <message>
        <source>Sciezka:</source>
        <translation>Path:</translation>
    </message>
    <message>
        <source>Otwórz</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>Przeładuj</source>
        <translation>Reload</translation>
    </message>
    <message>
        <source>Plik.bin</source>
        <translation>File.bin</translation>
    </message>
    <message>
        <source>Przeladuj Plik</source>
        <translation>Reload file</translation>
    </message>
    <message>
        <source>Postep:</source>
        <translation>Done:</translation>
    </message>
    <message>
        <source>GOTOWY</source>
        <translation>READY</translation>
    </message>
    <message>
        <source>Wykonaj Program</source>
        <translation>Run program</translation>
    </message>
    <message>
        <source>Wykonywanie....</source>
        <translation>Running....</translation>
    </message>
    <message>
        <source>Port Szeregowy</source>
        <translation>Serial port</translation>
    </message>
</context>
<context>
    <name>FileTexts</name>
    <message>
        <source>File: %6i (0x%05X), Data: %6i (0x%05X) bajtów</source>
        <translation>File: %6i (0x%05X), Data: %6i (0x%05X) bytes</translation>
    </message>
    <message>
        <source>Pominięte wiersze: %zu (pierwszy: wiersz %zu, %s)</source>
        <translation>Skipped lines: %zu (first: line %zu, %s)</translation>
    </message>
    <message>
        <source>Plik za duży: %i B, pamięć układu: %i B</source>
        <translation>File too large: %i B, chip memory: %i B</translation>
    </message>
    <message>
        <source>nie rekord (brak &apos;:&apos; na początku)</source>
        <translation>not a record (no &apos;:&apos; at the start)</translation>
    </message>
    <message>
        <source>znak spoza cyfr szesnastkowych</source>
        <translation>a character that is not a hex digit</translation>
    </message>
    <message>
        <source>za krótki na rekord</source>
        <translation>too short for a record</translation>
    </message>
    <message>
        <source>liczba bajtów dłuższa niż wiersz</source>
        <translation>byte count longer than the line</translation>
    </message>
    <message>
        <source>błędna suma kontrolna</source>
        <translation>bad checksum</translation>
    </message>
    <message>
        <source>rekord sięga poza 2 GiB</source>
        <translation>record reaches beyond 2 GiB</translation>
    </message>
    <message>
        <source>rekord adresu bez dwubajtowej wartości</source>
        <translation>address record without a two-byte value</translation>
    </message>
    <message>
        <source>nieznany powód</source>
        <translation>unknown reason</translation>
    </message>
</context>
<context>
    <name>MainDialog</name>
    <message>
        <source>Plik załadowany</source>
        <translation>File loaded</translation>
    </message>
    <message>
        <source>Blad przeladowania pliku!!!</source>
        <translation>File reload error!!!</translation>
    </message>
    <message>
        <source>— okno zamknie się po zakończeniu procedury</source>
        <translation>— the window closes when the procedure ends</translation>
    </message>
    <message>
        <source>Nie zapisano przebiegu w bazie: </source>
        <translation>Run not saved in the records: </translation>
    </message>
    <message>
        <source>Nie można zapisać pliku %1:
%2</source>
        <translation>Cannot save file %1:
%2</translation>
    </message>
    <message>
        <source>otwarty</source>
        <translation>open</translation>
    </message>
    <message>
        <source>nie otwarty</source>
        <translation>not open</translation>
    </message>
</context>
<context>
    <name>MainMenu</name>
    <message>
        <source>Plik</source>
        <translation>File</translation>
    </message>
    <message>
        <source>Otwórz</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>Przeładuj</source>
        <translation>Reload</translation>
    </message>
    <message>
        <source>Zamknij</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Pomoc</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>O Programie</source>
        <translation>About</translation>
    </message>
</context>
<context>
    <name>Preflight</name>
    <message>
        <source>firmware file %1: %2; nothing was sent</source>
        <translation>firmware file %1: %2; nothing was sent</translation>
    </message>
    <message>
        <source>cannot write the read-back to %1: %2; nothing was sent</source>
        <translation>cannot write the read-back to %1: %2; nothing was sent</translation>
    </message>
    <message>
        <source>line %1: %2 (%3 rejected line in all; --lenient skips them)</source>
        <translation>line %1: %2 (%3 rejected line in all; --lenient skips them)</translation>
    </message>
    <message>
        <source>line %1: %2 (%3 rejected lines in all; --lenient skips them)</source>
        <translation>line %1: %2 (%3 rejected lines in all; --lenient skips them)</translation>
    </message>
    <message>
        <source>no end-of-file record; the file may be cut short (--lenient accepts it)</source>
        <translation>no end-of-file record; the file may be cut short (--lenient accepts it)</translation>
    </message>
    <message>
        <source>holds no data (--lenient programs nothing and succeeds)</source>
        <translation>holds no data (--lenient programs nothing and succeeds)</translation>
    </message>
    <message>
        <source>its data (%1 bytes) is larger than the %2-byte flash</source>
        <translation>its data (%1 bytes) is larger than the %2-byte flash</translation>
    </message>
    <message>
        <source>it is a directory</source>
        <translation>it is a directory</translation>
    </message>
    <message>
        <source>the folder %1 does not exist</source>
        <translation>the folder %1 does not exist</translation>
    </message>
    <message>
        <source>the folder %1: %2</source>
        <translation>the folder %1: %2</translation>
    </message>
    <message>
        <source>%1; nothing was sent</source>
        <translation>%1; nothing was sent</translation>
    </message>
    <message>
        <source>job %1: %2; nothing was sent</source>
        <translation>job %1: %2; nothing was sent</translation>
    </message>
</context>
<context>
    <name>QtOperatorDialogs</name>
    <message>
        <source>Pliki HEX/BIN (*.bin, *.hex)</source>
        <translation>HEX/BIN files (*.bin, *.hex)</translation>
    </message>
    <message>
        <source>Pliki HEX (*.hex)</source>
        <translation>HEX files (*.hex)</translation>
    </message>
    <message>
        <source>Pliki BIN (*.bin)</source>
        <translation>BIN files (*.bin)</translation>
    </message>
    <message>
        <source>Wszystkie pliki (*.*)</source>
        <translation>All files (*.*)</translation>
    </message>
    <message>
        <source>Otwórz</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>Zapisz jako</source>
        <translation>Save as</translation>
    </message>
</context>
<context>
    <name>RunPreflight</name>
    <message>
        <source>Brak danych: plik pusty lub niewczytany</source>
        <translation>No data: file empty or not loaded</translation>
    </message>
    <message>
        <source>Przerwano: plik HEX z pominiętymi wierszami</source>
        <translation>Cancelled: HEX file with skipped lines</translation>
    </message>
    <message>
        <source>Plik %1 zmienił się na dysku od wczytania.
Wczytać go ponownie?</source>
        <translation>File %1 has changed on disk since it was loaded.
Load it again?</translation>
    </message>
    <message>
        <source>W pliku HEX pominięto błędne wiersze.
%1
Kontynuować mimo to?</source>
        <translation>Bad lines of the HEX file were skipped.
%1
Continue anyway?</translation>
    </message>
</context>
<context>
    <name>RunTexts</name>
    <message>
        <source>ERROR komunikacji</source>
        <translation>Communication ERROR</translation>
    </message>
    <message>
        <source>Kasowanie FLASH... </source>
        <translation>Erasing FLASH... </translation>
    </message>
    <message>
        <source>Test czystości... </source>
        <translation>Blank test... </translation>
    </message>
    <message>
        <source>Blad polaczenia</source>
        <translation>Connection error</translation>
    </message>
    <message>
        <source>Programowanie </source>
        <translation>Programming </translation>
    </message>
    <message>
        <source>Weryfikacja </source>
        <translation>Verifying </translation>
    </message>
    <message>
        <source>Odczyt </source>
        <translation>Reading </translation>
    </message>
    <message>
        <source>ERR komunikacji</source>
        <translation>Communication ERR</translation>
    </message>
    <message>
        <source>ERR odczytu</source>
        <translation>Read ERR</translation>
    </message>
    <message>
        <source>Za malo pamieci!!!</source>
        <translation>Not enough memory!!!</translation>
    </message>
    <message>
        <source>PROGRAM OK. Czas: %.3f s</source>
        <translation>PROGRAM OK. Time: %.3f s</translation>
    </message>
    <message>
        <source> — odczytu nie zapisano</source>
        <translation> — read-back not saved</translation>
    </message>
    <message>
        <source>Blad polaczenia z programatorem</source>
        <translation>No connection to the programmer</translation>
    </message>
    <message>
        <source>Blad inicjalizacji programowania</source>
        <translation>Error starting the programming</translation>
    </message>
    <message>
        <source>Blad podczas kasowania ukladu</source>
        <translation>Error erasing the chip</translation>
    </message>
    <message>
        <source>Blad - pamiec zapisana</source>
        <translation>Error - memory not blank</translation>
    </message>
    <message>
        <source>Blad podczas programowania ukladu</source>
        <translation>Error programming the chip</translation>
    </message>
    <message>
        <source>Blad podczas weryfikacji programu</source>
        <translation>Error verifying the program</translation>
    </message>
    <message>
        <source>Blad podczas odczytu programu</source>
        <translation>Error reading the program</translation>
    </message>
    <message>
        <source>Blad podczas zakonczenia procedury</source>
        <translation>Error ending the procedure</translation>
    </message>
</context>
<context>
    <name>SerialPorts</name>
    <message>
        <source>Serial ports of this system:</source>
        <translation>Serial ports of this system:</translation>
    </message>
    <message>
        <source>(none found)</source>
        <translation>(none found)</translation>
    </message>
    <message>
        <source>Port names:</source>
        <translation>Port names:</translation>
    </message>
</context>
<context>
    <name>SettingsFile</name>
    <message>
        <source>Nie można otworzyć pliku z konfiguracją!!!</source>
        <translation>Cannot open the settings file!!!</translation>
    </message>
</context>
<context>
    <name>StationChannel</name>
    <message>
        <source>Kanał jeszcze pracuje.</source>
        <translation>The channel is still running.</translation>
    </message>
    <message>
        <source>Nie można otworzyć portu %1: %2</source>
        <translation>Cannot open port %1: %2</translation>
    </message>
    <message>
        <source>Nie ma folderu na odczyt: %1</source>
        <translation>No folder for the read-back: %1</translation>
    </message>
    <message>
        <source>Nie przydzielono numeru seryjnego: %1</source>
        <translation>No serial number assigned: %1</translation>
    </message>
    <message>
        <source>Nie zapisano odczytu do %1: %2</source>
        <translation>Read-back not saved to %1: %2</translation>
    </message>
    <message>
        <source>Nie zapisano przebiegu w bazie: %1</source>
        <translation>Run not saved in the records: %1</translation>
    </message>
</context>
<context>
    <name>StationJob</name>
    <message>
        <source>Zadanie %1 nie podaje portów stanowiska (PORTS).</source>
        <translation>Job %1 names no ports for the station (PORTS).</translation>
    </message>
    <message>
        <source>Zadanie %1 odczytuje układ, ale nie podaje pliku na odczyt (READBACK).</source>
        <translation>Job %1 reads the chip but names no file for the read-back (READBACK).</translation>
    </message>
    <message>
        <source>Zadanie %1 zapisuje odczyt każdego kanału do jednego pliku %2; READBACK potrzebuje {port}.</source>
        <translation>Job %1 writes the read-back of every channel to one file %2; READBACK needs {port}.</translation>
    </message>
    <message>
        <source>Zadanie %1 numeruje układy, a to wymaga bazy zapisów, które są wyłączone (RECORDS=off).</source>
        <translation>Job %1 numbers the chips, which needs the records database, and records are off (RECORDS=off).</translation>
    </message>
    <message>
        <source>Zadanie %1: %2</source>
        <translation>Job %1: %2</translation>
    </message>
    <message>
        <source>Nie można wczytać pliku firmware %1: %2</source>
        <translation>Cannot load firmware file %1: %2</translation>
    </message>
    <message>
        <source>Plik firmware %1 nie zawiera danych.</source>
        <translation>Firmware file %1 holds no data.</translation>
    </message>
    <message>
        <source>Plik firmware %1 zmienił się od zapisania zadania %2 (SHA-256 %3, zadanie: %4).</source>
        <translation>Firmware file %1 has changed since job %2 was written (SHA-256 %3, job: %4).</translation>
    </message>
    <message>
        <source>Plik firmware %1 nie jest poprawnym plikiem HEX. %2</source>
        <translation>Firmware file %1 is not a valid HEX file. %2</translation>
    </message>
    <message>
        <source>Brak rekordu końca pliku.</source>
        <translation>No end-of-file record.</translation>
    </message>
    <message>
        <source>Nie można użyć zadania %1: %2</source>
        <translation>Cannot use job %1: %2</translation>
    </message>
    <message>
        <source>Plik firmware %1 zmienił się na dysku od otwarcia zadania. Żaden kanał nie ruszył; otwórz zadanie ponownie.</source>
        <translation>Firmware file %1 has changed on disk since the job was opened. No channel started; open the job again.</translation>
    </message>
</context>
<context>
    <name>StationWindow</name>
    <message>
        <source>Stanowisko Orvex — programowanie SDA5555FL</source>
        <translation>Orvex Station — programming SDA5555FL</translation>
    </message>
    <message>
        <source>Brak zadania</source>
        <translation>No job</translation>
    </message>
    <message>
        <source>Otwórz zadanie: Zadanie → Otwórz zadanie... (Ctrl+O)</source>
        <translation>Open a job: Job → Open job... (Ctrl+O)</translation>
    </message>
    <message>
        <source>Firmware: %1   SHA-256: %2</source>
        <translation>Firmware: %1   SHA-256: %2</translation>
    </message>
    <message>
        <source>Firmware: — (zadanie nie programuje ani nie weryfikuje)</source>
        <translation>Firmware: — (the job neither programs nor verifies)</translation>
    </message>
    <message>
        <source>Start wszystkich (Enter)</source>
        <translation>Start all (Enter)</translation>
    </message>
    <message>
        <source>&amp;Zadanie</source>
        <translation>&amp;Job</translation>
    </message>
    <message>
        <source>&amp;Otwórz zadanie...</source>
        <translation>&amp;Open job...</translation>
    </message>
    <message>
        <source>Za&amp;kończ</source>
        <translation>&amp;Quit</translation>
    </message>
    <message>
        <source>Otwórz zadanie</source>
        <translation>Open job</translation>
    </message>
    <message>
        <source>Zadania (*.job);;Wszystkie pliki (*)</source>
        <translation>Jobs (*.job);;All files (*)</translation>
    </message>
    <message>
        <source>Nie można zmienić zadania, gdy kanały pracują.</source>
        <translation>Cannot change the job while channels are running.</translation>
    </message>
    <message>
        <source>Nie zapamiętano zadania na następny raz: %1</source>
        <translation>The job was not remembered for next time: %1</translation>
    </message>
    <message>
        <source>Okno zamknie się, gdy wszystkie kanały skończą pracę.</source>
        <translation>The window closes when every channel has finished.</translation>
    </message>
    <message>
        <source>Zapisy przebiegów są wyłączone: %1</source>
        <translation>Records of runs are off: %1</translation>
    </message>
    <message>
        <source>Zmiana</source>
        <translation>Shift</translation>
    </message>
    <message>
        <source>Dziś</source>
        <translation>Today</translation>
    </message>
    <message>
        <source>Dziś: brak danych z bazy zapisów</source>
        <translation>Today: no data from the records database</translation>
    </message>
</context>
<context>
    <name>StepPanel</name>
    <message>
        <source>Gotowy...</source>
        <translation>Ready...</translation>
    </message>
</context>
<context>
    <name>UnitChannel</name>
    <message>
        <source>cannot write the trace to %1: %2; nothing was sent</source>
        <translation>cannot write the trace to %1: %2; nothing was sent</translation>
    </message>
    <message>
        <source>cannot open serial port %1: %2</source>
        <translation>cannot open serial port %1: %2</translation>
    </message>
    <message>
        <source>cannot open serial port %1 (%2): %3</source>
        <translation>cannot open serial port %1 (%2): %3</translation>
    </message>
    <message>
        <source>Job %1, firmware %2, serial %3</source>
        <translation>Job %1, firmware %2, serial %3</translation>
    </message>
    <message>
        <source>Job %1, firmware %2</source>
        <translation>Job %1, firmware %2</translation>
    </message>
    <message>
        <source>the record of this run could not be written: %1</source>
        <translation>the record of this run could not be written: %1</translation>
    </message>
</context>
<context>
    <name>Yield</name>
    <message>
        <source>%1: %2 dobrych, %3 złych, uzysk %4 %</source>
        <translation>%1: %2 good, %3 bad, yield %4 %</translation>
    </message>
    <message>
        <source>%1: brak przebiegów</source>
        <translation>%1: no runs</translation>
    </message>
</context>
</TS>
