<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>AboutView</name>
    <message>
        <source>The missing right-click feature your file manager should have had.</source>
        <translation>Die Rechtsklick-Funktion, die Ihrem Dateimanager schon immer gefehlt hat.</translation>
    </message>
    <message>
        <source>Support</source>
        <translation>Support</translation>
    </message>
    <message>
        <source>Privacy Policy</source>
        <translation>Datenschutzerklärung</translation>
    </message>
    <message>
        <source>© %1 Quintara. Free software under the MIT License.</source>
        <translation>© %1 Quintara. Freie Software unter der MIT-Lizenz.</translation>
    </message>
</context>
<context>
    <name>AppDelegate</name>
    <message>
        <source>Welcome to Quintara</source>
        <translation>Willkommen bei Quintara</translation>
    </message>
    <message>
        <source>Quintara Settings</source>
        <translation>Quintara-Einstellungen</translation>
    </message>
</context>
<context>
    <name>BuiltInTemplates</name>
    <message>
        <source>Text File</source>
        <translation>Textdatei</translation>
    </message>
    <message>
        <source>Markdown</source>
        <translation>Markdown</translation>
    </message>
    <message>
        <source>JSON</source>
        <translation>JSON</translation>
    </message>
    <message>
        <source>Rich Text</source>
        <translation>Rich-Text</translation>
    </message>
    <message>
        <source>Shell Script</source>
        <translation>Shell-Skript</translation>
    </message>
    <message>
        <source>Python Script</source>
        <translation>Python-Skript</translation>
    </message>
    <message>
        <source>HTML</source>
        <translation>HTML</translation>
    </message>
    <message>
        <source>CSS</source>
        <translation>CSS</translation>
    </message>
</context>
<context>
    <name>BundleInfo</name>
    <message>
        <source>Version %1 (%2)</source>
        <translation>Version %1 (%2)</translation>
    </message>
</context>
<context>
    <name>GeneralSettingsView</name>
    <message>
        <source>Folder Access</source>
        <translation>Ordnerzugriff</translation>
    </message>
    <message>
        <source>Folder access granted</source>
        <translation>Ordnerzugriff gewährt</translation>
    </message>
    <message>
        <source>The extension can create files in your selected folder and all subfolders.</source>
        <translation>Die Erweiterung kann Dateien in Ihrem ausgewählten Ordner und allen Unterordnern erstellen.</translation>
    </message>
    <message>
        <source>Folder access required</source>
        <translation>Ordnerzugriff erforderlich</translation>
    </message>
    <message>
        <source>Grant access to your home folder so the file manager menu can create files. You will be shown a folder picker — select your Home folder and click Grant Access.</source>
        <translation>Gewähren Sie Zugriff auf Ihren persönlichen Ordner, damit das Dateimanager-Menü Dateien erstellen kann. Es öffnet sich eine Ordnerauswahl – wählen Sie Ihren persönlichen Ordner und klicken Sie auf „Zugriff gewähren“.</translation>
    </message>
    <message>
        <source>File Naming</source>
        <translation>Dateibenennung</translation>
    </message>
    <message>
        <source>Files will be named &quot;%1.ext&quot;, then &quot;%1 2.ext&quot;, and so on.</source>
        <translation>Dateien heißen „%1.ext“, dann „%1 2.ext“ und so weiter.</translation>
    </message>
    <message>
        <source>Limits</source>
        <translation>Einschränkungen</translation>
    </message>
    <message>
        <source>Where the menu can create files</source>
        <translation>Wo das Menü Dateien erstellen kann</translation>
    </message>
    <message>
        <source>Quintara creates files only inside the folder you granted above and its subfolders. Grant your Home folder to reach all of your own folders.</source>
        <translation>Quintara erstellt Dateien nur in dem oben freigegebenen Ordner und seinen Unterordnern. Geben Sie Ihren persönlichen Ordner frei, um all Ihre eigenen Ordner zu erreichen.</translation>
    </message>
    <message>
        <source>The menu does not appear in:</source>
        <translation>Das Menü erscheint nicht in:</translation>
    </message>
    <message>
        <source>Trash, Recent and other places of the file manager that are not folders on this computer.</source>
        <translation>Papierkorb, „Zuletzt verwendet“ und anderen Orten des Dateimanagers, die keine Ordner auf diesem Rechner sind.</translation>
    </message>
    <message>
        <source>Network places that are not mounted as a local folder. Mount the share first (many file managers do so when you open it), then right-click inside the mounted folder.</source>
        <translation>Netzwerkorten, die nicht als lokaler Ordner eingehängt sind. Hängen Sie die Freigabe zuerst ein (viele Dateimanager tun das beim Öffnen) und klicken Sie dann im eingehängten Ordner mit der rechten Maustaste.</translation>
    </message>
    <message>
        <source>File Manager</source>
        <translation>Dateimanager</translation>
    </message>
    <message>
        <source>Quintara’s menu in the file managers on this computer:</source>
        <translation>Quintaras Menü in den Dateimanagern dieses Computers:</translation>
    </message>
    <message>
        <source>General settings</source>
        <translation>Allgemeine Einstellungen</translation>
    </message>
    <message>
        <source>&amp;Update Access…</source>
        <translation>&amp;Zugriff aktualisieren…</translation>
    </message>
    <message>
        <source>&amp;Grant Folder Access…</source>
        <translation>&amp;Ordnerzugriff gewähren…</translation>
    </message>
    <message>
        <source>Default &amp;base name</source>
        <translation>Standard-&amp;Basisname</translation>
    </message>
    <message>
        <source>As&amp;k for a name when creating a file</source>
        <translation>Beim Erstellen einer Datei nach dem &amp;Namen fragen</translation>
    </message>
    <message>
        <source>&amp;Open Extension Settings</source>
        <translation>&amp;Erweiterungseinstellungen öffnen</translation>
    </message>
</context>
<context>
    <name>GuideWindow</name>
    <message>
        <source>Quintara in the File Manager</source>
        <translation>Quintara im Dateimanager</translation>
    </message>
    <message>
        <source>The guide is not installed</source>
        <translation>Die Anleitung ist nicht installiert</translation>
    </message>
    <message>
        <source>The guide to the file manager menus is installed with Quintara, but it was not found. Installing Quintara again puts it back.</source>
        <translation>Die Anleitung zu den Dateimanager-Menüs wird mit Quintara installiert, wurde aber nicht gefunden. Eine erneute Installation von Quintara stellt sie wieder her.</translation>
    </message>
</context>
<context>
    <name>HomeFolderAccess</name>
    <message>
        <source>Grant Folder Access</source>
        <translation>Ordnerzugriff gewähren</translation>
    </message>
    <message>
        <source>Select your Home folder (%1) to let Quintara create files anywhere in it.</source>
        <translation>Wählen Sie Ihren persönlichen Ordner (%1), damit Quintara überall darin Dateien erstellen kann.</translation>
    </message>
    <message>
        <source>Grant Access</source>
        <translation>Zugriff gewähren</translation>
    </message>
</context>
<context>
    <name>ImportConsentDialog</name>
    <message>
        <source>Make a Template?</source>
        <translation>Als Vorlage speichern?</translation>
    </message>
    <message>
        <source>Folder:</source>
        <translation>Ordner:</translation>
    </message>
    <message>
        <source>Size:</source>
        <translation>Größe:</translation>
    </message>
    <message>
        <source>A link asked Quintara to make a template of this file. Agree only if you asked for it yourself: the file’s text will be kept in Quintara’s settings and written into every file made from the template.</source>
        <translation>Ein Link hat Quintara gebeten, diese Datei als Vorlage zu speichern. Stimmen Sie nur zu, wenn Sie selbst darum gebeten haben: Der Text der Datei wird in den Einstellungen von Quintara aufbewahrt und in jede Datei geschrieben, die aus der Vorlage entsteht.</translation>
    </message>
    <message>
        <source>Only you may read this file. Its text will be kept in Quintara’s settings and written into every file made from the template, where others may be able to read it.</source>
        <translation>Nur Sie dürfen diese Datei lesen. Ihr Text wird in den Einstellungen von Quintara aufbewahrt und in jede Datei geschrieben, die aus der Vorlage entsteht – dort können ihn vielleicht auch andere lesen.</translation>
    </message>
    <message>
        <source>Make a template of “%1”?</source>
        <translation>„%1“ als Vorlage speichern?</translation>
    </message>
    <message>
        <source>&amp;Make Template</source>
        <translation>Als Vorlage &amp;speichern</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>A link asked Quintara to make a template of this folder. Agree only if you asked for it yourself: its files will be kept in Quintara’s data and written into every folder made from the template.</source>
        <translation>Ein Link hat Quintara gebeten, aus diesem Ordner eine Vorlage zu machen. Stimmen Sie nur zu, wenn Sie selbst darum gebeten haben: Seine Dateien werden in Quintaras Daten aufbewahrt und in jeden Ordner geschrieben, der aus der Vorlage entsteht.</translation>
    </message>
    <message>
        <source>This folder holds what only you may read. Its files will be kept in Quintara’s data and written into every folder made from the template, where what is yours alone stays so.</source>
        <translation>Dieser Ordner enthält, was nur Sie lesen dürfen. Seine Dateien werden in Quintaras Daten aufbewahrt und in jeden Ordner geschrieben, der aus der Vorlage entsteht; was nur Ihnen gehört, bleibt es dort.</translation>
    </message>
    <message numerus="yes">
        <source>%n item(s), %1</source>
        <translation>
            <numerusform>%n Eintrag, %1</numerusform>
            <numerusform>%n Einträge, %1</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>IntegrationStatusView</name>
    <message>
        <source>GNOME Files</source>
        <translation>GNOME Dateien</translation>
    </message>
    <message>
        <source>Dolphin</source>
        <translation>Dolphin</translation>
    </message>
    <message>
        <source>Nemo</source>
        <translation>Nemo</translation>
    </message>
    <message>
        <source>Caja</source>
        <translation>Caja</translation>
    </message>
    <message>
        <source>Thunar</source>
        <translation>Thunar</translation>
    </message>
    <message>
        <source>Menu installed</source>
        <translation>Menü installiert</translation>
    </message>
    <message>
        <source>Menu missing</source>
        <translation>Menü fehlt</translation>
    </message>
    <message>
        <source>Install the quintara package to add the missing menus.</source>
        <translation>Installieren Sie das Paket quintara, um die fehlenden Menüs hinzuzufügen.</translation>
    </message>
    <message>
        <source>No supported file manager is installed. Quintara works with GNOME Files, Dolphin, Nemo, Caja and Thunar.</source>
        <translation>Es ist kein unterstützter Dateimanager installiert. Quintara arbeitet mit GNOME Dateien, Dolphin, Nemo, Caja und Thunar.</translation>
    </message>
    <message>
        <source>quintara: links</source>
        <translation>quintara:-Links</translation>
    </message>
    <message>
        <source>Open in Quintara</source>
        <translation>Öffnen sich in Quintara</translation>
    </message>
    <message>
        <source>Do not reach Quintara</source>
        <translation>Erreichen Quintara nicht</translation>
    </message>
    <message>
        <source>Checking the file managers…</source>
        <translation>Dateimanager werden geprüft…</translation>
    </message>
    <message>
        <source>&amp;Add Menu</source>
        <translation>&amp;Menü hinzufügen</translation>
    </message>
    <message>
        <source>Make Quintara the Ha&amp;ndler</source>
        <translation>Als &amp;Standard festlegen</translation>
    </message>
</context>
<context>
    <name>MenuModel</name>
    <message>
        <source>New File</source>
        <translation>Neue Datei</translation>
    </message>
    <message>
        <source>New %1</source>
        <translation>Neu: %1</translation>
    </message>
    <message>
        <source>Save as Template</source>
        <translation>Als Vorlage speichern</translation>
    </message>
</context>
<context>
    <name>NewFileNameDialog</name>
    <message>
        <source>A file or folder with this name already exists here.</source>
        <translation>Hier gibt es bereits eine Datei oder einen Ordner mit diesem Namen.</translation>
    </message>
    <message>
        <source>Enter a name for the new file.</source>
        <translation>Geben Sie einen Namen für die neue Datei ein.</translation>
    </message>
    <message>
        <source>A name cannot contain “/” or be “.” or “..”.</source>
        <translation>Ein Name darf kein „/“ enthalten und nicht „.“ oder „..“ sein.</translation>
    </message>
    <message>
        <source>This name is too long.</source>
        <translation>Dieser Name ist zu lang.</translation>
    </message>
    <message>
        <source>The file could not be created here.</source>
        <translation>Die Datei konnte hier nicht erstellt werden.</translation>
    </message>
    <message>
        <source>New %1</source>
        <translation>Neu: %1</translation>
    </message>
    <message>
        <source>Cancel this file and the %1 waiting after it</source>
        <translation>Diese Datei und die %1 wartenden danach abbrechen</translation>
    </message>
    <message>
        <source>&amp;Name:</source>
        <translation>&amp;Name:</translation>
    </message>
    <message>
        <source>&amp;Create</source>
        <translation>&amp;Erstellen</translation>
    </message>
    <message>
        <source>Canc&amp;el</source>
        <translation>Abbre&amp;chen</translation>
    </message>
    <message>
        <source>Cancel &amp;All</source>
        <translation>A&amp;lle abbrechen</translation>
    </message>
</context>
<context>
    <name>RequestServing</name>
    <message>
        <source>Template added</source>
        <translation>Vorlage hinzugefügt</translation>
    </message>
    <message>
        <source>“%1” is now the template “%2”.</source>
        <translation>„%1“ ist jetzt die Vorlage „%2“.</translation>
    </message>
    <message>
        <source>Not added as a template</source>
        <translation>Nicht als Vorlage hinzugefügt</translation>
    </message>
    <message>
        <source>No file was created</source>
        <translation>Keine Datei erstellt</translation>
    </message>
    <message>
        <source>Quintara may not write anywhere yet. Grant it your home folder in the welcome window, then try again.</source>
        <translation>Quintara darf noch nirgends schreiben. Geben Sie im Willkommensfenster Ihren persönlichen Ordner frei und versuchen Sie es dann erneut.</translation>
    </message>
    <message>
        <source>Links left out: %1</source>
        <translation>Ausgelassene Verknüpfungen: %1</translation>
    </message>
</context>
<context>
    <name>SettingsView</name>
    <message>
        <source>Templates</source>
        <translation>Vorlagen</translation>
    </message>
    <message>
        <source>General</source>
        <translation>Allgemein</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Über</translation>
    </message>
</context>
<context>
    <name>TemplateDetailView</name>
    <message>
        <source>Template Content</source>
        <translation>Inhalt der Vorlage</translation>
    </message>
    <message>
        <source>(empty file)</source>
        <translation>(leere Datei)</translation>
    </message>
    <message>
        <source>Supported Variables</source>
        <translation>Unterstützte Variablen</translation>
    </message>
    <message>
        <source>Current date</source>
        <translation>Aktuelles Datum</translation>
    </message>
    <message>
        <source>Current time</source>
        <translation>Aktuelle Uhrzeit</translation>
    </message>
    <message>
        <source>Folder name</source>
        <translation>Ordnername</translation>
    </message>
    <message>
        <source>Your full name</source>
        <translation>Vollständiger Name</translation>
    </message>
    <message>
        <source>4-digit year</source>
        <translation>Jahr, vierstellig</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <source>New files named “%1”</source>
        <translation>Neue Dateien heißen „%1“</translation>
    </message>
    <message>
        <source>Listed under “%1”</source>
        <translation>Aufgeführt unter „%1“</translation>
    </message>
    <message>
        <source>Folder Contents</source>
        <translation>Inhalt des Ordners</translation>
    </message>
    <message>
        <source>(empty folder)</source>
        <translation>(leerer Ordner)</translation>
    </message>
    <message>
        <source>Open Fo&amp;lder</source>
        <translation>&amp;Ordner öffnen</translation>
    </message>
    <message>
        <source>Change what new folders hold in the file manager</source>
        <translation>Im Dateimanager ändern, was neue Ordner enthalten</translation>
    </message>
    <message>
        <source>New folders named “%1”</source>
        <translation>Neue Ordner heißen „%1“</translation>
    </message>
</context>
<context>
    <name>TemplateEditorView</name>
    <message>
        <source>New Template</source>
        <translation>Neue Vorlage</translation>
    </message>
    <message>
        <source>Edit Template</source>
        <translation>Vorlage bearbeiten</translation>
    </message>
    <message>
        <source>e.g.  txt  ·  md  ·  json  ·  py</source>
        <translation>z. B.  txt  ·  md  ·  json  ·  py</translation>
    </message>
    <message>
        <source>Variables: {{date}}  {{time}}  {{folder}}  {{username}}  {{year}}</source>
        <translation>Variablen: {{date}}  {{time}}  {{folder}}  {{username}}  {{year}}</translation>
    </message>
    <message>
        <source>&amp;Template Name</source>
        <translation>&amp;Name der Vorlage</translation>
    </message>
    <message>
        <source>E&amp;xtension</source>
        <translation>Datei&amp;endung</translation>
    </message>
    <message>
        <source>C&amp;ontent</source>
        <translation>&amp;Inhalt</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>&amp;Add</source>
        <translation>&amp;Hinzufügen</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>&amp;Speichern</translation>
    </message>
    <message>
        <source>File Na&amp;me</source>
        <translation>Dateina&amp;me</translation>
    </message>
    <message>
        <source>e.g.  {{year}} Budget  ·  Notes on {{folder}}</source>
        <translation>z. B.  {{year}} Budget  ·  Notizen zu {{folder}}</translation>
    </message>
    <message>
        <source>&amp;Group</source>
        <translation>&amp;Gruppe</translation>
    </message>
    <message>
        <source>A submenu of “New File”; empty for none</source>
        <translation>Ein Untermenü von „Neue Datei“; leer für keines</translation>
    </message>
    <message>
        <source>A new folder holds what this template’s folder holds, its variables filled in. To change that, open the folder from the template’s page.</source>
        <translation>Ein neuer Ordner enthält, was der Ordner dieser Vorlage enthält, mit ausgefüllten Variablen. Um das zu ändern, öffnen Sie den Ordner auf der Seite der Vorlage.</translation>
    </message>
</context>
<context>
    <name>TemplateImporter</name>
    <message>
        <source>no such file</source>
        <translation>Datei nicht gefunden</translation>
    </message>
    <message>
        <source>cannot be read</source>
        <translation>nicht lesbar</translation>
    </message>
    <message>
        <source>not a regular file</source>
        <translation>keine normale Datei</translation>
    </message>
    <message>
        <source>larger than 1 MiB</source>
        <translation>größer als 1 MiB</translation>
    </message>
    <message>
        <source>not UTF-8 text</source>
        <translation>kein UTF-8-Text</translation>
    </message>
    <message>
        <source>a file of the system, not a document</source>
        <translation>eine Datei des Systems, kein Dokument</translation>
    </message>
    <message>
        <source>not confirmed</source>
        <translation>nicht bestätigt</translation>
    </message>
    <message>
        <source>needs your confirmation, and there is no display to ask on</source>
        <translation>braucht Ihre Bestätigung, und es gibt keinen Bildschirm, um danach zu fragen</translation>
    </message>
    <message>
        <source>no room left in Quintara’s settings</source>
        <translation>kein Platz mehr in den Einstellungen von Quintara</translation>
    </message>
    <message>
        <source>Quintara’s settings could not be saved</source>
        <translation>Die Einstellungen von Quintara konnten nicht gespeichert werden</translation>
    </message>
    <message>
        <source>holds items a template cannot</source>
        <translation>enthält, was keine Vorlage sein kann</translation>
    </message>
    <message>
        <source>more than 1,000 items</source>
        <translation>mehr als 1.000 Einträge</translation>
    </message>
    <message>
        <source>more than 16 MiB in all</source>
        <translation>insgesamt mehr als 16 MiB</translation>
    </message>
</context>
<context>
    <name>TemplatesView</name>
    <message>
        <source>Select a template to preview</source>
        <translation>Wählen Sie eine Vorlage für die Vorschau</translation>
    </message>
    <message>
        <source>Built-in</source>
        <translation>Mitgeliefert</translation>
    </message>
    <message>
        <source>Custom</source>
        <translation>Eigene</translation>
    </message>
    <message>
        <source>Add custom template</source>
        <translation>Eigene Vorlage hinzufügen</translation>
    </message>
    <message>
        <source>Delete selected template</source>
        <translation>Ausgewählte Vorlage löschen</translation>
    </message>
    <message>
        <source>Import files as custom templates</source>
        <translation>Dateien als eigene Vorlagen importieren</translation>
    </message>
    <message>
        <source>Import Templates</source>
        <translation>Vorlagen importieren</translation>
    </message>
    <message>
        <source>Import</source>
        <translation>Importieren</translation>
    </message>
    <message>
        <source>%1 as “%2”</source>
        <translation>%1 als „%2“</translation>
    </message>
    <message>
        <source>Imported as templates:</source>
        <translation>Als Vorlagen importiert:</translation>
    </message>
    <message>
        <source>Not imported:</source>
        <translation>Nicht importiert:</translation>
    </message>
    <message>
        <source>and %1 more</source>
        <translation>und %1 weitere</translation>
    </message>
    <message>
        <source>Custom template, %1</source>
        <translation>Eigene Vorlage, %1</translation>
    </message>
    <message>
        <source>Drag, or press Alt+Up or Alt+Down, to move it</source>
        <translation>Zum Verschieben ziehen oder Alt+Nach-oben bzw. Alt+Nach-unten drücken</translation>
    </message>
    <message>
        <source>Templates</source>
        <translation>Vorlagen</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>&amp;Rückgängig</translation>
    </message>
    <message>
        <source>Bring back “%1” (Ctrl+Z)</source>
        <translation>„%1“ wiederherstellen (Strg+Z)</translation>
    </message>
    <message>
        <source>&amp;Import…</source>
        <translation>&amp;Importieren…</translation>
    </message>
    <message>
        <source>Built-in template, %1, on</source>
        <translation>Mitgelieferte Vorlage, %1, an</translation>
    </message>
    <message>
        <source>Built-in template, %1, off</source>
        <translation>Mitgelieferte Vorlage, %1, aus</translation>
    </message>
    <message>
        <source>folder</source>
        <translation>Ordner</translation>
    </message>
</context>
<context>
    <name>WelcomeView</name>
    <message>
        <source>Welcome to Quintara</source>
        <translation>Willkommen bei Quintara</translation>
    </message>
    <message>
        <source>The right-click “New File” feature your file manager forgot.</source>
        <translation>Die Rechtsklick-Funktion „Neue Datei“, die Ihr Dateimanager vergessen hat.</translation>
    </message>
    <message>
        <source>Set up in 2 quick steps</source>
        <translation>In 2 schnellen Schritten eingerichtet</translation>
    </message>
    <message>
        <source>Folder access granted</source>
        <translation>Ordnerzugriff gewährt</translation>
    </message>
    <message>
        <source>The extension can now create files in your Home folder and all subfolders.</source>
        <translation>Die Erweiterung kann jetzt Dateien in Ihrem persönlichen Ordner und allen Unterordnern erstellen.</translation>
    </message>
    <message>
        <source>Grant folder access</source>
        <translation>Ordnerzugriff gewähren</translation>
    </message>
    <message>
        <source>Choose your Home folder so the extension can create files anywhere in it. A folder picker will open.</source>
        <translation>Wählen Sie Ihren persönlichen Ordner, damit die Erweiterung überall darin Dateien erstellen kann. Dazu öffnet sich eine Ordnerauswahl.</translation>
    </message>
    <message>
        <source>Right-click any folder in your file manager</source>
        <translation>Rechtsklick auf einen Ordner im Dateimanager</translation>
    </message>
    <message>
        <source>Pick a template (“New Text File”, “New Markdown”, etc.) from the menu. The new file appears instantly.</source>
        <translation>Wählen Sie im Menü eine Vorlage („Neu: Textdatei“, „Neu: Markdown“ usw.). Die neue Datei erscheint sofort.</translation>
    </message>
    <message>
        <source>Add Quintara to your file manager</source>
        <translation>Quintara zum Dateimanager hinzufügen</translation>
    </message>
    <message>
        <source>Quintara’s menu in the file managers on this computer:</source>
        <translation>Quintaras Menü in den Dateimanagern dieses Computers:</translation>
    </message>
    <message>
        <source>&amp;Open Extension Settings</source>
        <translation>&amp;Erweiterungseinstellungen öffnen</translation>
    </message>
    <message>
        <source>&amp;Update Access…</source>
        <translation>&amp;Zugriff aktualisieren…</translation>
    </message>
    <message>
        <source>&amp;Grant Folder Access…</source>
        <translation>&amp;Ordnerzugriff gewähren…</translation>
    </message>
    <message>
        <source>Qu&amp;it</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>&amp;Manage Templates…</source>
        <translation>&amp;Vorlagen verwalten…</translation>
    </message>
    <message>
        <source>&amp;Done</source>
        <translation>&amp;Fertig</translation>
    </message>
</context>
<context>
    <name>WindowMenus</name>
    <message>
        <source>&amp;About Quintara</source>
        <translation>&amp;Über Quintara</translation>
    </message>
    <message>
        <source>&amp;Settings…</source>
        <translation>&amp;Einstellungen…</translation>
    </message>
    <message>
        <source>&amp;Quit Quintara</source>
        <translation>Quintara &amp;beenden</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>&amp;Welcome to Quintara</source>
        <translation>&amp;Willkommen bei Quintara</translation>
    </message>
    <message>
        <source>&amp;Support</source>
        <translation>&amp;Support</translation>
    </message>
    <message>
        <source>&amp;Privacy Policy</source>
        <translation>&amp;Datenschutzerklärung</translation>
    </message>
</context>
</TS>
