# Realistic faults against src/: (id, file, old text, new text). Old text must occur exactly once in its file.
M = [
    # Creation, requests, store, model, platform, app, extension and windows (ids name the fault).
    ('cr-unique-plain-index', 'src/creation/FileCreationService.cpp', 'const QString name = index == 1 ?', 'const QString name = index <= 2 ?'),
    ('cr-unique-past-999', 'src/creation/FileCreationService.cpp', 'for (; index < fallbackIndex; ++index)', 'for (; index <= fallbackIndex; ++index)'),
    ('cr-slash-kept', 'src/creation/FileCreationService.cpp', "    part.replace(QLatin1Char('/'), QLatin1Char('-'));\n", ''),
    ('cr-relative-accepted', 'src/creation/FileCreationService.cpp', 'if (!QDir::isAbsolutePath(path) || kind ==', 'if (kind =='),
    ('cr-trailing-slash', 'src/creation/FileCreationService.cpp', "    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))\n        path.chop(1);\n", ''),
    ('cr-clock-asked-twice', 'src/creation/FileCreationService.cpp', 'return QString::number(now.date().year(QCalendar()));', 'return QString::number(m_clock.now().toLocalTime().date().year(QCalendar()));'),
    ('cr-utc-not-local', 'src/creation/FileCreationService.cpp', 'const QDateTime now = m_clock.now().toLocalTime();', 'const QDateTime now = m_clock.now();'),
    ('cr-placeholder-order', 'src/creation/FileCreationService.cpp', '        {QLatin1String("{{folder}}"),\n         [&] {\n             return lastPathComponent(directory);\n         }},\n        {QLatin1String("{{username}}"),\n         [&] {\n             return m_account.fullName();\n         }},', '        {QLatin1String("{{username}}"),\n         [&] {\n             return m_account.fullName();\n         }},\n        {QLatin1String("{{folder}}"),\n         [&] {\n             return lastPathComponent(directory);\n         }},'),
    ('cr-gecos-last-comma', 'src/platform/UserAccount.cpp', "field.left(field.indexOf(',') < 0 ? field.size() : field.indexOf(','))", "field.left(field.lastIndexOf(',') < 0 ? field.size() : field.lastIndexOf(','))"),
    ('req-overflow', 'src/creation/CreateRequest.cpp', '            if (value > (std::numeric_limits<qint64>::max() - digit) / 10)\n                return std::nullopt;\n', ''),
    ('app-index-bound', 'src/creation/RequestServing.cpp', 'index >= templates.size()', 'index > templates.size()'),
    ('app-stop-unstarted', 'src/creation/RequestServing.cpp', '        if (accessing)\n            services.scope.stopAccessing(grantedPath);', '        services.scope.stopAccessing(grantedPath);'),
    ('app-log-typo', 'src/creation/RequestServing.cpp', '[QNT] processCreateURL: created %1', '[QNT] processCreateURL: Created %1'),
    ('app-no-reveal', 'src/creation/RequestServing.cpp', '        services.reveal.revealFile(created, fileManager);\n', ''),
    ('app-no-grant-keeps-flag', 'src/app/AppDelegate.cpp', '        m_launchedForURL = false;\n        showWelcomeWindow();', '        showWelcomeWindow();'),
    ('app-reopen-always', 'src/app/AppDelegate.cpp', '    if (!hasVisibleWindow())\n        showWelcomeWindow();', '    showWelcomeWindow();'),
    ('menus-welcome-opens-settings', 'src/app/WindowMenus.cpp', '[&delegate] { delegate.showWelcomeWindow(); }', '[&delegate] { delegate.openSettingsWindow(); }'),
    ('log-newline-raw', 'src/platform/Log.cpp', '        if (u == \'\\n\')\n            out += QLatin1String("\\\\n");\n        else ', '        '),
    ('store-customs-first', 'src/store/TemplateStore.cpp', '    std::for_each(builtInTemplates().begin(), builtInTemplates().end(), offer);\n    std::for_each(m_customTemplates.begin(), m_customTemplates.end(), offer);', '    std::for_each(m_customTemplates.begin(), m_customTemplates.end(), offer);\n    std::for_each(builtInTemplates().begin(), builtInTemplates().end(), offer);'),
    ('store-number-skipped', 'src/store/TemplateStore.cpp', '                allTexts = false;\n                break;', '                continue;'),
    ('store-save-silent', 'src/store/TemplateStore.cpp', 'FileTemplate::encodeList(m_customTemplates));\n    Q_EMIT didChange();', 'FileTemplate::encodeList(m_customTemplates));'),
    ('store-update-appends', 'src/store/TemplateStore.cpp', '    if (it == m_customTemplates.end())\n        return;', '    if (it == m_customTemplates.end()) {\n        m_customTemplates.append(changed);\n        save();\n        return;\n    }'),
    ('store-move-before', 'src/store/TemplateStore.cpp', 'return p < destination; });', 'return p <= destination; });'),
    ('store-name-trimmed', 'src/store/TemplateStore.cpp', 'domain().setText(Keys::defaultBaseName, name);', 'domain().setText(Keys::defaultBaseName, name.trimmed());'),
    ('store-last-error-lost', 'src/store/TemplateStore.cpp', '        settings.setText(Keys::bookmarkLastError, QStringLiteral("ERROR: ") + error);\n', ''),
    ('store-stale-not-renewed', 'src/store/TemplateStore.cpp', 'if (resolved->isStale && saveHomeFolderBookmark(location))', 'if (false && saveHomeFolderBookmark(location))'),
    ('store-empty-grant', 'src/store/TemplateStore.cpp', 'return domain().data(Keys::homeFolderBookmark).has_value();', 'return !domain().data(Keys::homeFolderBookmark).value_or(QByteArray()).isEmpty();'),
    ('mgr-direct', 'src/store/TemplateManager.cpp', 'Qt::QueuedConnection', 'Qt::DirectConnection'),
    ('tpl-no-nfc', 'src/model/FileTemplate.cpp', 'return a == b || canonical(a) == canonical(b);', 'return a == b;'),
    ('tpl-quote-unescaped', 'src/model/FileTemplate.cpp', '            case \'"\':\n                out.append("\\\\\\"");\n                break;\n', ''),
    ('tpl-control-1f', 'src/model/FileTemplate.cpp', 'if (u < 0x20)\n                    escapeUnit(u);', 'if (u < 0x1f)\n                    escapeUnit(u);'),
    ('tpl-id-lower', 'src/model/FileTemplate.cpp', 'return id.toString(QUuid::WithoutBraces).toUpper();', 'return id.toString(QUuid::WithoutBraces);'),
    ('tpl-flag-type', 'src/model/FileTemplate.cpp', '|| !isBuiltIn.isBool())', '|| isBuiltIn.isString())'),
    ('builtin-md-body', 'src/model/BuiltInTemplates.cpp', 'const char* const markdownBody = "# {{folder}}\\n"', 'const char* const markdownBody = "# {{folder}}"'),
    ('scope-prefix', 'src/platform/SecurityScope.cpp', "(realFolderPath.startsWith(root) && realFolderPath.at(root.size()) == '/')", 'realFolderPath.startsWith(root)'),
    ('writer-mode-unnamed', 'src/platform/FileWriter.cpp', 'O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666', 'O_TMPFILE | O_WRONLY | O_CLOEXEC, 0644'),
    ('writer-slash-name', 'src/platform/FileWriter.cpp', "        name.contains(QLatin1Char('/')) ||", ''),
    ('writer-temp-left', 'src/platform/FileWriter.cpp', '    ::unlinkat(dir.get(), temporaryName.constData(), 0);\n', ''),
    ('writer-unconfined', 'src/platform/FileWriter.cpp', 'if (real.isEmpty() || !m_scope.containsEncoded(real))', 'if (real.isEmpty())'),
    ('settings-corrupt-overwritten', 'src/platform/SettingsDomain.cpp', 'for (int n = 2; QFileInfo::exists(target) && n < 1000; ++n)', 'for (int n = 2; false && n < 1000; ++n)'),
    ('settings-no-lock', 'src/platform/SettingsDomain.cpp', '    if (!takeLock(lock)) {', '    if (false) {'),
    ('settings-base64-lenient', 'src/platform/SettingsDomain.cpp', 'QByteArray::AbortOnBase64DecodingErrors', 'QByteArray::Base64Encoding'),
    ('settings-suite-folder', 'src/platform/SettingsDomain.cpp', 'if (info.exists() && (!info.isFile() || !info.isReadable()))', 'if (info.exists() && !info.isReadable())'),
    ('bookmark-inode-ignored', 'src/platform/Bookmark.cpp', 'now->device != *device || now->inode != *inode', 'now->device != *device'),
    ('bookmark-version-ignored', 'src/platform/Bookmark.cpp', '            object.value(QLatin1String("version")) != QJsonValue(1) || ', '            '),
    ('menu-any-scheme', 'src/extension/MenuModel.cpp', 'QUrl(location.uri).scheme() == QLatin1String("file") && ', ''),
    ('menu-multi-selection', 'src/extension/MenuModel.cpp', 'if (selection.size() != 1)', 'if (selection.isEmpty())'),
    ('menu-empty-offered', 'src/extension/MenuModel.cpp', '    if (templates.isEmpty())\n        return std::nullopt;\n', ''),
    ('naut-underscore', 'src/extension/GtkFamilyProvider.cpp', 'return QString(label).replace(QLatin1Char(\'_\'), QStringLiteral("__")).toUtf8();', 'return label.toUtf8();'),
    ('naut-shared-names', 'src/extension/GtkFamilyProvider.cpp', '"quintara-new-file-selection");', '"quintara-new-file-background");'),
    ('naut-path-latin1', 'src/extension/GtkFamilyProvider.cpp', 'location.localPath = QFile::decodeName(path.get());', 'location.localPath = QString::fromLatin1(path.get());'),
    ('naut-sync-launch', 'src/extension/GtkFamilyProvider.cpp', 'g_app_info_launch_default_for_uri_async(static_cast<const char*>(g_task_get_task_data(task)), nullptr, nullptr,\n                                            nullptr, nullptr);', 'g_app_info_launch_default_for_uri(static_cast<const char*>(g_task_get_task_data(task)), nullptr, nullptr);'),
    ('gen-trim-qt', 'src/ui/settings/GeneralSettingsView.cpp', 'const QString name = HorizontalSpace::trimmed(m_baseNameField->text());', 'const QString name = m_baseNameField->text().trimmed();'),
    ('gen-empty-stored', 'src/ui/settings/GeneralSettingsView.cpp', '    if (!name.isEmpty())\n        m_manager.store().setDefaultBaseName(name);', '    m_manager.store().setDefaultBaseName(name);'),
    ('space-tab-kept', 'src/model/HorizontalSpace.cpp', "c.category() == QChar::Separator_Space || c == QLatin1Char('\\t')", 'c.category() == QChar::Separator_Space'),
    ('edit-ext-not-cleaned', 'src/ui/templates/TemplateEditorView.cpp', 'const auto [cleaned, cursor] = FileTemplate::cleanExtension(text, m_extensionField->cursorPosition());', 'const auto [cleaned, cursor] = std::pair(text, int(m_extensionField->cursorPosition()));'),
    ('edit-line-separator', 'src/ui/templates/TemplateEditorView.cpp', 'if (event->matches(QKeySequence::InsertLineSeparator))', 'if (false)'),
    ('row-toggle-by-name', 'src/ui/templates/TemplateListModel.cpp', '        enabled.remove(shown->idText());', '        enabled.remove(shown->name);'),
    ('list-delete-selected', 'src/ui/templates/TemplateListView.cpp', '    const int row = currentIndex().row();', '    const int row = selectedIndexes().isEmpty() ? currentIndex().row() : selectedIndexes().first().row();'),
    ('list-move-shift', 'src/ui/templates/TemplateListModel.cpp', '    m_manager.store().moveTemplates(positions, to);', '    m_manager.store().moveTemplates(positions, to + 1);'),
    ('notify-over-open-window', 'src/app/AppDelegate.cpp', '    if (!m_settingsWindow || !m_settingsWindow->isVisible()) {\n        for (const TemplateImporter::Outcome& outcome', '    if (true) {\n        for (const TemplateImporter::Outcome& outcome'),
    ('notify-no-grant-silent', 'src/app/AppDelegate.cpp', '    const RequestServing::Notice notice = RequestServing::notGrantedNotice();\n        m_services.workspace.notify(notice.summary, notice.body);', '    const RequestServing::Notice notice = RequestServing::notGrantedNotice();'),
    ('notify-command-silent', 'src/creation/RequestServing.cpp', '        if (services.notify) {', '        if (false) {'),
    ('notify-refusal-untold', 'src/creation/RequestServing.cpp', '    const auto refusal = std::get<TemplateImporter::Refusal>(outcome.result);\n    return {', '    const auto refusal = std::get<TemplateImporter::Refusal>(outcome.result);\n    return {QString(), QString()};\n    return {'),
    ('a11y-content-unnamed', 'src/ui/templates/TemplateEditorView.cpp', "    m_contentEditor->setAccessibleName(QString(text.content).remove(QLatin1Char('&')));\n", ''),
    ('a11y-base-name-no-buddy', 'src/ui/settings/GeneralSettingsView.cpp', '    baseNameLabel->setBuddy(m_baseNameField);\n', ''),
    ('keys-welcome-focus-first-step', 'src/ui/welcome/WelcomeView.cpp', '        m_doneButton->setFocus(Qt::ActiveWindowFocusReason);', '        ;'),
    ('keys-ctrl-tab-types-tab', 'src/ui/templates/TemplateEditorView.cpp', 'if ((event->modifiers() & Qt::ControlModifier) && (key == Qt::Key_Tab || key == Qt::Key_Backtab)) {', 'if (false) {'),
    ('keys-editor-ignores-ctrl-w', 'src/ui/templates/TemplateEditorView.cpp', '    WindowKeys::closeWithKeys(this);\n', ''),
    ('theme-secondary-fixed', 'src/ui/common/Style.cpp', '    derive(result, QPalette::PlaceholderText, [](const QPalette& palette) { return secondary(palette); });', '    QPalette fixed = result->palette();\n    fixed.setColor(QPalette::PlaceholderText, secondary(fixed));\n    result->setPalette(fixed);'),
    ('theme-status-unreadable', 'src/ui/common/StatusMark.cpp', '        return Style::readable(dark ? QColor(0x32, 0xD7, 0x4B) : QColor(0x1E, 0x8E, 0x3E), palette);', '        return dark ? QColor(0x32, 0xD7, 0x4B) : QColor(0x1E, 0x8E, 0x3E);'),
    ('name-no-extension-dot', 'src/creation/FileCreationService.cpp', "    const QString suffix = fileExtension.isEmpty() ? QString() : QLatin1Char('.') + nameComponent(fileExtension);", "    const QString suffix = QLatin1Char('.') + nameComponent(fileExtension);"),
    ('fit-unbounded', 'src/ui/common/WindowPlacement.cpp', '    return wanted.boundedTo(screen->availableGeometry().size() - frameAllowance).expandedTo(QSize(1, 1));', '    return wanted;'),
    ('menu-builtin-untranslated', 'src/extension/MenuModel.cpp', '                                 .arg(templates.at(i).isBuiltIn', '                                 .arg(false'),
    ('list-builtin-untranslated', 'src/ui/templates/TemplateListModel.cpp', '        return shownName(shown);', '        return shown.name;'),
    ('font-not-followed', 'src/ui/common/Style.cpp', '    FontFollower::start();\n', ''),
    ('undo-at-end', 'src/ui/templates/TemplatesView.cpp', '        custom.insert(qMin(position, custom.size()), deleted);', '        custom.append(deleted);'),
    ('undo-outlives-window', 'src/ui/templates/TemplatesView.cpp', '    if (!window()->isVisible()) {\n        m_deleted.clear();', '    if (!window()->isVisible()) {'),
    ('undo-stale-record', 'src/ui/templates/TemplatesView.cpp', '    const FileTemplate deleted = store.customTemplates().at(position);', '    const FileTemplate deleted = m_manager.customTemplates().value(position);'),
    ('welcome-close-welcome-first', 'src/ui/welcome/WelcomeView.cpp', 'if (QWidget* active = QApplication::activeWindow()) {', 'if (QWidget* active = static_cast<QWidget*>(nullptr)) {'),
    ('welcome-refresh-any-state', 'src/ui/welcome/WelcomeView.cpp', '        if (state == Qt::ApplicationActive)\n            refreshFolderAccess();', '        Q_UNUSED(state);\n        refreshFolderAccess();'),
    ('badge-never-green', 'src/ui/welcome/StepRow.cpp', 'QColor fill = complete ? completeColor : accent;', 'QColor fill = accent;'),
    ('access-start-folder', 'src/ui/common/HomeFolderAccess.cpp', '    request.startFolder = account.homePath();', '    request.startFolder = QDir::homePath();'),
    ('access-logs-always', 'src/ui/common/HomeFolderAccess.cpp', 'if (logFailure && !granted)', 'if (!granted)'),
    ('guide-folder-accepted', 'src/ui/common/HomeFolderAccess.cpp', 'if (guide.isFile())', 'if (guide.exists())'),
    ('about-year-now', 'src/ui/settings/AboutView.cpp', 'QString::number(m_clock.now().date().year())', 'QString::number(QDate::currentDate().year())'),
    ('app-negative-index', 'src/creation/RequestServing.cpp', 'if (index < 0 || index >= templates.size())', 'if (index >= templates.size())'),
    ('app-no-welcome-on-start', 'src/app/AppDelegate.cpp', '    if (!m_launchedForURL)\n        showWelcomeWindow();', ''),
    ('err-message-typo', 'src/creation/FileCreationError.cpp', 'The target directory could not be found.', 'The target folder could not be found.'),
    ('hard-scope-text-compare', 'src/platform/FileWriter.cpp', '!m_scope.containsEncoded(real)', '!m_scope.contains(QFile::decodeName(real))'),
    ('hard-renew-any-owner', 'src/platform/Bookmark.cpp', 'return found.owner == ::geteuid() && ::realpath(', 'return ::realpath('),
    ('hard-renew-through-link', 'src/platform/Bookmark.cpp', 'found.owner == ::geteuid() && ::realpath(encoded.constData(), real) && encoded == real;', 'found.owner == ::geteuid();'),
    ('hard-no-connection-cap', 'src/platform/InstanceChannel.cpp', '    if (m_connections.size() >= m_maximumConnections)\n        drop(m_connections.first());\n', ''),
    ('hard-no-message-timeout', 'src/platform/InstanceChannel.cpp', '    QTimer::singleShot(messageTimeoutMs, socket, [this, socket] { drop(socket); });\n', ''),
    ('hard-settings-read-unbounded', 'src/platform/SettingsDomain.cpp', '    const QByteArray bytes = file.read(maximumFileSize + 1);\n    if (bytes.size() > maximumFileSize)\n        return {{}, FileState::Corrupt};\n', '    const QByteArray bytes = file.readAll();\n'),
    ('hard-lock-wait-unbounded', 'src/platform/SettingsDomain.cpp', 'if (lock.error() != QLockFile::LockFailedError || deadline.hasExpired())', 'if (lock.error() != QLockFile::LockFailedError)'),
    ('hard-log-2028-raw', 'src/platform/Log.cpp', '    case QChar::Separator_Line:\n', ''),
    ('hard-temp-lock-ignored', 'src/platform/FileWriter.cpp', 'opened.st_uid == ::geteuid() && ::flock(file.get(), LOCK_EX | LOCK_NB) == 0 &&', 'opened.st_uid == ::geteuid() &&'),
    ('hard-runtime-folder-unchecked', 'src/platform/InstanceChannelClient.cpp', 'if (folder.isEmpty() || !isPrivateFolder(folder)) {', 'if (folder.isEmpty()) {'),
    ('hard-client-peer-unchecked', 'src/platform/InstanceChannelClient.cpp', '    if (!peerIsThisUser(socket.get()))\n        return Delivery::NoInstance;\n', ''),
    ('hard-server-peer-unchecked', 'src/platform/InstanceChannel.cpp', '    if (!peerIsThisUser(descriptor)) {\n        ::close(descriptor);\n        return;\n    }\n', ''),
    ('c4-always-desktop', 'src/extension/GtkFamilyProvider.cpp', 'g_task_return_boolean(task, delivery != InstanceChannel::Delivery::NoInstance);', 'g_task_return_boolean(task, FALSE);'),
    ('c4-handover-on-main-thread', 'src/extension/GtkFamilyProvider.cpp', 'g_task_run_in_thread(task, handOver);', 'handOver(task, nullptr, g_task_get_task_data(task), nullptr);'),
    ('c4-wrong-icon', 'src/extension/GtkFamilyProvider.cpp', 'm_api.icon(entry.iconNames).constData()', 'QByteArrayLiteral("text-x-generic").constData()'),
    ('c4-no-fallback', 'src/extension/GtkFamilyProvider.cpp', '    if (g_task_propagate_boolean(task, nullptr))\n        return;\n', '    if (g_task_propagate_boolean(task, nullptr) || true)\n        return;\n'),
    ('c4-no-dollar-escape', 'src/extension/ServiceMenu.cpp', 'if (c == u\'"\' || c == u\'`\' || c == u\'$\' || c == u\'\\\\\')', 'if (c == u\'"\' || c == u\'`\' || c == u\'\\\\\')'),
    ('c4-no-percent-double', 'src/extension/ServiceMenu.cpp', "if (c == u'%') // a literal percent sign, not a field code", 'if (false)'),
    ('c4-no-exec-bit', 'src/extension/ServiceMenu.cpp', 'QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |', 'QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |'),
    ('c4-no-removal', 'src/extension/ServiceMenu.cpp', 'if (!QFile::exists(path) || QFile::remove(path))', 'if (true)'),
    ('c4-index-unchecked', 'src/launcher/CommandLine.cpp', 'if (*index >= enabled) {', 'if (false) {'),
    # Naming a file as it is created; templates from files.
    # A name taken by someone else reads "could not be created" instead of "already exists" in the naming window.
    ("nx-named-taken-as-failure", "src/creation/FileCreationService.cpp",
     "    if (error->code == PlatformError::nameTaken)\n        return FileCreationError(FileCreationError::Case::nameTaken);\n    return writeFailure(*error);\n}",
     "    return writeFailure(*error);\n}"),
    # A typed name such as "../x" or "a/b" is handed to the writer: the file lands outside the folder, or a wrong error shows.
    ("nx-named-no-validation", "src/creation/FileCreationService.cpp",
     "    if (nameProblem(fileName) != NameProblem::none)\n        return FileCreationError(FileCreationError::Case::invalidName);\n",
     ""),
    # Typing "notes" for a .txt template creates "notestxt".
    ("nx-completed-no-dot", "src/creation/FileCreationService.cpp",
     "return (dot < 0 ? typedName + QLatin1Char('.') : typedName) + fileExtension;",
     "return typedName + fileExtension;"),
    # Typing "notes." keeps the bare trailing dot instead of completing to "notes.txt".
    ("nx-completed-trailing-dot", "src/creation/FileCreationService.cpp",
     "(dot >= 0 && dot < typedName.size() - 1)",
     "dot >= 0"),
    # An empty field creates a hidden ".txt", and ".." creates "..txt", instead of saying the name is unusable.
    ("nx-completed-invalid-extended", "src/creation/FileCreationService.cpp",
     "if (fileExtension.isEmpty() || nameProblem(typedName) != NameProblem::none ||",
     "if (fileExtension.isEmpty() ||"),
    # A long name in a multi-byte script passes as fine and then fails to be created, instead of "too long".
    ("nx-name-counts-chars", "src/creation/FileCreationService.cpp",
     "if (QFile::encodeName(fileName).size() > NAME_MAX)",
     "if (fileName.size() > NAME_MAX)"),
    # An import request with a relative path is accepted and imports a file relative to wherever the program runs.
    ("nx-import-relative-path", "src/creation/ImportRequest.cpp",
     "if (!path || !path->startsWith(QLatin1Char('/')) || path->contains(QChar(0)))",
     "if (!path || path->contains(QChar(0)))"),
    # "f=/tmp/a%00b" is accepted and reads another file than the one named.
    ("nx-import-nul-path", "src/creation/ImportRequest.cpp",
     " || path->contains(QChar(0)))",
     ")"),
    # "Quintara://import?..." (wrong case of the scheme) is served as a request.
    ("nx-query-scheme-any-case", "src/creation/RequestQuery.cpp",
     "Qt::CaseSensitive",
     "Qt::CaseInsensitive"),
    # A file or folder with "+" in its path ("c++.txt") is looked up with a space instead.
    ("nx-query-plus-as-space", "src/creation/RequestQuery.cpp",
     "item.value = QUrl::fromPercentEncoding(part.mid(equals + 1));",
     "item.value = QUrl::fromPercentEncoding(part.mid(equals + 1).replace('+', ' '));"),
    # Importing a file that does not exist says "cannot be read" instead of "no such file".
    ("nx-read-missing-as-unreadable", "src/platform/RegularFile.cpp",
     "errno == ENOENT || errno == ENOTDIR ? Failure::missing",
     "errno == ENOTDIR ? Failure::missing"),
    # A file of exactly 1 MiB is refused as too large.
    ("nx-read-size-bound", "src/platform/RegularFile.cpp",
     "if (status.st_size > maximum)",
     "if (status.st_size >= maximum)"),
    # A folder is "cannot be read" instead of "not a regular file"; a named pipe imports as an empty template.
    ("nx-read-any-kind", "src/platform/RegularFile.cpp",
     "    if (!S_ISREG(status.st_mode))\n        return Failure::notRegular;\n",
     ""),
    # Imported templates are not saved: they vanish on restart and the menus never show them.
    ("nx-importer-no-save", "src/store/TemplateImporter.cpp",
     "            added = true;\n",
     ""),
    # A second "Notes" becomes "Notes 1" instead of "Notes 2".
    ("nx-importer-number-from-1", "src/store/TemplateImporter.cpp",
     "for (int number = 2; taken.contains(candidate); ++number)",
     "for (int number = 1; taken.contains(candidate); ++number)"),
    # "archive.tar.gz" becomes template "archive" with extension "tar.gz" instead of "archive.tar" / "gz".
    ("nx-importer-first-dot", "src/store/TemplateImporter.cpp",
     "const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));",
     "const qsizetype dot = fileName.indexOf(QLatin1Char('.'));"),
    # Importing a file named like a built-in template gives two menu entries with the same label.
    ("nx-importer-builtins-ignored", "src/store/TemplateImporter.cpp",
     "{&builtInTemplates(), &std::as_const(m_store).customTemplates()}",
     "{&std::as_const(m_store).customTemplates()}"),
    # The "already exists" message stays under the field while the person types a new name.
    ("nx-dialog-message-stays", "src/ui/naming/NewFileNameDialog.cpp",
     "    connect(m_nameField, &QLineEdit::textEdited, m_message, &QLabel::clear);\n",
     ""),
    # Two create requests in quick succession open two naming windows at once (the first one's state is lost).
    ("nx-app-queue-two-windows", "src/app/AppDelegate.cpp",
     "            if (m_waitingForName.size() == 1)\n                askNextName();",
     "            askNextName();"),
    # The preselected part of the suggested name includes the dot, so typing drops it ("notestxt").
    ("nx-app-selection-no-dot", "src/app/AppDelegate.cpp",
     "next.chosen.fileExtension.size() + 1;",
     "next.chosen.fileExtension.size();"),
    # Typing "notes" creates "notes" without the template's extension.
    ("nx-app-typed-not-completed", "src/app/AppDelegate.cpp",
     "create(request, name);",
     "create(request, typed);"),
    # With two requests waiting, closing the first window drops the second request and asks for the first again.
    ("nx-app-removes-last", "src/app/AppDelegate.cpp",
     "m_waitingForName.removeFirst();",
     "m_waitingForName.removeLast();"),
    # "Save as Template" from the file manager does not select the new template in the open settings window.
    ("nx-app-import-no-select", "src/app/AppDelegate.cpp",
     "    view->selectImported(outcomes);\n",
     ""),
    # A malformed token from a caller (control characters, too long) reaches the environment and window properties.
    ("nx-channel-token-unchecked", "src/platform/InstanceChannel.cpp",
     "    if (InstanceChannel::isUsableActivationToken(token))\n        result.activationToken = token;",
     "    result.activationToken = token;"),
    # A token with a space in it counts as usable.
    ("nx-channel-token-space", "src/platform/InstanceChannelClient.cpp",
     "c.unicode() > 0x20 && c.unicode() < 0x7f",
     "c.unicode() >= 0x20 && c.unicode() < 0x7f"),
    # "quintara --import FOLDER" is accepted and sent on instead of saying "is not a file".
    ("nx-cli-import-folder", "src/launcher/CommandLine.cpp",
     "if (fileText.isEmpty() || !file.isFile()) {",
     "if (fileText.isEmpty() || !file.exists()) {"),
    # On X11 the naming window asks for focus with time 0, so the window manager leaves it behind the file manager.
    ("nx-activation-time-group", "src/platform/WindowActivation.cpp",
     "xcb_timestamp_t(time.captured(1).toULongLong())",
     "xcb_timestamp_t(time.captured(0).toULongLong())"),
    # With several files selected, "Save as Template" still appears and imports only the first.
    ("nx-menu-file-multi-select", "src/extension/MenuModel.cpp",
     "if (selection.size() != 1 || !selection.constFirst().isRegularFile",
     "if (selection.isEmpty() || !selection.constFirst().isRegularFile"),
    # The file menu passes a URL ("file:///...") to --import, which is then "not a file".
    ("nx-svc-import-url-code", "src/extension/ServiceMenu.cpp",
     "QStringLiteral(\" --import %f\")",
     "QStringLiteral(\" --import %u\")"),
    # "Ask for a name" is on for someone who never turned it on.
    ("nx-store-ask-default-on", "src/store/TemplateStore.cpp",
     "domain().flag(Keys::askForFileName).value_or(false)",
     "domain().flag(Keys::askForFileName).value_or(true)"),
    # The "Ask for a name" switch shows off after a restart though asking is on.
    ("nx-settings-ask-not-loaded", "src/ui/settings/GeneralSettingsView.cpp",
     "    m_askForNameSwitch->setChecked(m_manager.store().asksForFileName());\n",
     ""),
    # Importing exactly 8 files ends the summary with "and 0 more".
    ("nx-templates-summary-more", "src/ui/templates/TemplatesView.cpp",
     "if (lines.size() > summaryLines)",
     "if (lines.size() >= summaryLines)"),
    # A file named "<b>x</b>.txt" is shown as markup in the import summary.
    ("nx-templates-summary-markup", "src/ui/templates/TemplatesView.cpp",
     "    summary->setTextFormat(Qt::PlainText);\n",
     ""),
    # File-manager state, pickers, translation, window behaviour.
    # A slow, superseded read lands after a newer refresh: the rows show the old file-manager state.
    ("dx-probe-stale-read", "src/platform/DesktopIntegrationProbe.cpp",
     "    if (read != m_read)\n        return;\n    m_fileManagers = fileManagers;",
     "    m_fileManagers = fileManagers;"),
    # A non-executable Dolphin service menu (which Dolphin ignores) is reported as installed.
    ("dx-probe-dolphin-not-exec", "src/platform/DesktopIntegrationProbe.cpp",
     "file.isFile() && (each.fileManager != FileManager::Dolphin || file.isExecutable())",
     "file.isFile()"),
    # xdg-mime's answer ends with a newline: links are never seen as reaching Quintara.
    ("dx-probe-scheme-untrimmed", "src/platform/DesktopIntegrationProbe.cpp",
     "QString::fromUtf8(output->trimmed()) == desktopEntry",
     "QString::fromUtf8(*output) == desktopEntry"),
    # Without xdg-mime on the path the probe never answers: the view stays on "Checking…".
    ("dx-probe-no-xdgmime-silent", "src/platform/DesktopIntegrationProbe.cpp",
     "        QTimer::singleShot(0, this, [done = std::move(done)] { done(std::nullopt); });\n        return;",
     "        return;"),
    # "Add Menu" writes the service menu but the row keeps showing it missing.
    ("dx-probe-addmenu-no-refresh", "src/platform/DesktopIntegrationProbe.cpp",
     "the service menu could not be written\"));\n    refresh();",
     "the service menu could not be written\"));"),
    # A file manager that is not installed and has no menu keeps step 1 from completing.
    ("dx-status-uninstalled-counts", "src/ui/common/IntegrationStatusView.cpp",
     "return !each.installed || each.integrated; });",
     "return each.integrated; });"),
    # Step 1 shows done although quintara: links go elsewhere.
    ("dx-status-scheme-ignored", "src/ui/common/IntegrationStatusView.cpp",
     "if (!m_state || !m_state->schemeReachesQuintara)",
     "if (!m_state)"),
    # The first (incomplete) answer is not announced: a step that was shown done is never corrected.
    ("dx-status-first-not-emitted", "src/ui/common/IntegrationStatusView.cpp",
     "if (first || wasComplete != isComplete())",
     "if (wasComplete != isComplete())"),
    # Missing modules no longer show the "Install the quintara package" hint.
    ("dx-status-package-hint-hidden", "src/ui/common/IntegrationStatusView.cpp",
     "m_message->setVisible(placed == 0 || modulesMissing);",
     "m_message->setVisible(placed == 0);"),
    # Dolphin's "Add Menu" button claims the link handler instead of adding the service menu.
    ("dx-status-dolphin-button-claims", "src/ui/common/IntegrationStatusView.cpp",
     "&IntegrationProbe::addServiceMenu));",
     "&IntegrationProbe::claimScheme));"),
    # Light windows get the light (dark-theme) shades: green/orange marks are hard to read.
    ("dx-mark-dark-inverted", "src/ui/common/StatusMark.cpp",
     "lightness() < 128;",
     "lightness() > 128;"),
    # A version-3 portal (the first that chooses folders) is taken for absent: the Qt dialog shows instead.
    ("dx-portal-version-off-by-one", "src/platform/PortalFolderPicker.cpp",
     "toUInt() >= folderChoosingVersion",
     "toUInt() > folderChoosingVersion"),
    # A portal that refuses the call leaves the user without any chooser (answered as cancelled).
    ("dx-portal-error-no-fallback", "src/platform/PortalFolderPicker.cpp",
     "m_fallback.pickFolder(pending->request, pending->parent, std::move(pending->done));",
     "pending->done(std::nullopt);"),
    # A portal that leaves the bus mid-request never answers: the caller waits forever.
    ("dx-portal-left-unanswered", "src/platform/PortalFolderPicker.cpp",
     "        answer(handle, std::nullopt);\n",
     "        Q_UNUSED(handle);\n"),
    # Cancelling Qt's folder dialog is answered with an empty folder instead of nothing.
    ("dx-folderdlg-cancel-empty-string", "src/ui/common/DialogFolderPicker.cpp",
     "done(chosen.isEmpty() ? std::nullopt : std::optional(chosen.first()));",
     "done(std::optional(chosen.value(0)));"),
    # Importing templates lets the user choose only one file at a time.
    ("dx-filedlg-single-file", "src/ui/common/DialogFilePicker.cpp",
     "QFileDialog::ExistingFiles",
     "QFileDialog::ExistingFile"),
    # Cancelling a file dialog still hands over the files that were selected.
    ("dx-answer-cancel-returns-files", "src/ui/common/FileDialogAnswer.h",
     "reply(result == QDialog::Accepted ? dialog->selectedFiles() : QStringList());",
     "reply(result >= QDialog::Rejected ? dialog->selectedFiles() : QStringList());"),
    # A dialog that goes with its parent before answering never answers.
    ("dx-answer-destroyed-silent", "src/ui/common/FileDialogAnswer.h",
     "    QObject::connect(dialog, &QObject::destroyed, [reply] { reply({}); });\n",
     ""),
    # Quintara's own translation file (quintara_de.qm) is never found: windows stay in English.
    ("dx-tr-wrong-prefix", "src/ui/common/Translations.cpp",
     "QStringLiteral(\"_\"), folder",
     "QStringLiteral(\"-\"), folder"),
    # Secondary text needs to read on the window or the base, not both: on the other it is unreadable.
    ("dx-style-contrast-base-ignored", "src/ui/common/Style.cpp",
     "std::min(contrast(candidate, window), contrast(candidate, base)) >= readableContrast",
     "contrast(candidate, window) >= readableContrast || contrast(candidate, base) >= readableContrast"),
    # Secondary text only reaches 3:1 contrast, below the 4.5:1 small text needs.
    ("dx-style-contrast-too-low", "src/ui/common/Style.cpp",
     "constexpr double readableContrast = 4.5;",
     "constexpr double readableContrast = 3.0;"),
    # Secondary labels are drawn in the full text colour.
    ("dx-style-secondary-role-lost", "src/ui/common/Style.cpp",
     "    result->setForegroundRole(QPalette::PlaceholderText);\n",
     ""),
    # Slim scroll bars come out as wide as ordinary ones.
    ("dx-style-slim-too-wide", "src/ui/common/Style.cpp",
     "width: 10px; margin: 0;",
     "width: 16px; margin: 0;"),
    # Every link in the guide (file:, mailto:, anything) is handed to the desktop, not only web links.
    ("dx-guide-any-scheme-opened", "src/ui/common/GuideWindow.cpp",
     "if (scheme == QStringLiteral(\"http\") || scheme == QStringLiteral(\"https\"))",
     "if (!scheme.isEmpty())"),
    # Opening the guide again stacks a second guide window instead of raising the first.
    ("dx-guide-second-window", "src/ui/common/GuideWindow.cpp",
     "    if (!shown)\n        shown = new GuideWindow(workspace, guide);",
     "    shown = new GuideWindow(workspace, guide);"),
    # A guide URL whose file is gone shows a blank window instead of the "not installed" note.
    ("dx-guide-missing-file-blank", "src/ui/common/GuideWindow.cpp",
     "if (document()->isEmpty())",
     "if (guide.isEmpty())"),
    # Down arrow stops at the last built-in row: it cannot cross the "Custom" header.
    ("dx-list-down-stuck-at-header", "src/ui/templates/TemplateListView.cpp",
     "const bool down = action == MoveDown || action == MoveNext",
     "const bool down = action == MoveNext"),
    # A header is passed over the wrong way: Up from the first custom row bounces back.
    ("dx-list-header-skip-reversed", "src/ui/templates/TemplateListView.cpp",
     "for (const int step : {down ? 1 : -1, down ? -1 : 1})",
     "for (const int step : {down ? -1 : 1, down ? 1 : -1})"),
    # Escape no longer closes the Welcome and Settings windows.
    ("dx-window-escape-lost", "src/app/AppDelegate.cpp",
     "QKeySequence::keyBindings(QKeySequence::Close) << QKeySequence(Qt::Key_Escape)",
     "QKeySequence::keyBindings(QKeySequence::Close)"),
    # F10 opens the Help menu instead of the first (application) menu.
    ("dx-f10-opens-help", "src/app/WindowMenus.cpp",
     "[bar, application] { bar->setActiveAction(application->menuAction()); }",
     "[bar, help] { bar->setActiveAction(help->menuAction()); }"),
    # "Manage Templates…" opens Settings on whichever tab was last shown, not Templates.
    ("dx-manage-templates-any-tab", "src/app/AppDelegate.cpp",
     "[this] { showSettingsTab(SettingsView::TemplatesTab); }",
     "[this] { openSettingsWindow(); }"),
    # Return in a text field of the welcome window also presses Done and closes it.
    ("dx-return-in-text-field", "src/ui/welcome/WelcomeView.cpp",
     "    else if (!qobject_cast<QLineEdit*>(focused))\n        m_doneButton->click();",
     "    else\n        m_doneButton->click();"),
    # A grant made in Settings does not show in the open welcome window.
    ("dx-grant-welcome-not-listening", "src/ui/welcome/WelcomeView.cpp",
     "    connect(&m_manager, &TemplateManager::objectWillChange, this, &WelcomeView::refreshFolderAccess,\n            Qt::QueuedConnection);\n",
     ""),
    # A grant made in the welcome window does not show in the open Settings window.
    ("dx-grant-settings-not-listening", "src/ui/settings/GeneralSettingsView.cpp",
     "    connect(\n        &m_manager, &TemplateManager::objectWillChange, this,\n        [this] { setHasAccess(m_manager.store().hasHomeFolderBookmark()); }, Qt::QueuedConnection);\n",
     ""),
    # announceChange() announces nothing: no other window learns of a new grant.
    ("dx-grant-announce-silent", "src/store/TemplateManager.cpp",
     "void TemplateManager::announceChange()\n{\n    Q_EMIT objectWillChange();\n}",
     "void TemplateManager::announceChange()\n{\n}"),
    # A long name without spaces no longer wraps in the template detail view; it runs off the page.
    ("dx-detail-long-name-no-wrap", "src/ui/templates/TemplateDetailView.cpp",
     "option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);",
     "option.setWrapMode(QTextOption::WordWrap);"),
    # Core and older windows, beyond the faults above.
    # a request with t=-1 creates a file from template 1 instead of being dropped
    ('cx-req-minus-dropped', 'src/creation/CreateRequest.cpp', '            value = value * 10 - digit;', '            value = value * 10 + digit;'),
    # what() of a platform failure is empty: anything that reports the standard exception text shows no reason
    ('cx-err-unknown-what-empty', 'src/creation/FileCreationError.cpp', '    error.m_utf8 = error.errorDescription().toStdString();\n', ''),
    # a folder the user may not write to reports a raw platform error instead of 'Permission denied'
    ('cx-svc-permission-unmapped', 'src/creation/FileCreationService.cpp', '    if (error.code == PlatformError::permissionDenied)\n        return FileCreationError(FileCreationError::Case::permissionDenied);\n', ''),
    # {{folder}} in a file created at the file-system root expands to nothing instead of '/'
    ('cx-svc-root-folder-empty', 'src/creation/FileCreationService.cpp', '    if (path == QLatin1String("/"))\n        return path;\n', ''),
    # a backslash in a template's content is stored unescaped: it reads back as another character or the whole list is lost
    ('cx-tpl-backslash-raw', 'src/model/FileTemplate.cpp', '            case \'\\\\\':\n                out.append("\\\\\\\\");\n                break;\n', ''),
    # one damaged record no longer voids the list: a partly corrupt list is taken as the user's templates
    ('cx-tpl-bad-record-skipped', 'src/model/FileTemplate.cpp', '        if (!record)\n            return std::nullopt;\n', '        if (!record)\n            continue;\n'),
    # a new shell script starts with the python shebang and a python script with bash's
    ('cx-builtin-bodies-swapped', 'src/model/BuiltInTemplates.cpp', 'builtIn(5, "Shell Script", "sh", shellBody), builtIn(6, "Python Script", "py", pythonBody)', 'builtIn(5, "Shell Script", "sh", pythonBody), builtIn(6, "Python Script", "py", shellBody)'),
    # the About tab shows 'Version <build> (<version>)'
    ('cx-bundle-version-order', 'src/model/BundleInfo.cpp', '.arg(shortVersion(info), buildNumber(info))', '.arg(buildNumber(info), shortVersion(info))'),
    # switching every built-in off turns them all back on at the next read
    ('cx-store-all-off-means-all-on', 'src/store/TemplateStore.cpp', '        if (allTexts)\n            return result;', '        if (allTexts && !result.isEmpty())\n            return result;'),
    # deleting several custom templates removes the wrong ones (or crashes) because positions shift
    ('cx-store-delete-forward', 'src/store/TemplateStore.cpp', '    for (auto it = valid.rbegin(); it != valid.rend(); ++it)\n        m_customTemplates.removeAt(*it);\n    save();\n}', '    for (const qsizetype p : valid)\n        m_customTemplates.removeAt(p);\n    save();\n}'),
    # switching a built-in on or off is not announced: the file manager's service menu keeps the old list
    ('cx-store-toggle-silent', 'src/store/TemplateStore.cpp', '    domain().setArray(Keys::enabledBuiltIns, texts);\n    Q_EMIT didChange();', '    domain().setArray(Keys::enabledBuiltIns, texts);'),
    # after a template is added or deleted the manager's copy changes but the Templates list is not told to redraw
    ('cx-mgr-changed-missing', 'src/store/TemplateManager.cpp', '    m_customTemplates = templates;\n    Q_EMIT customTemplatesChanged();', '    m_customTemplates = templates;'),
    # an empty settings file counts as corrupt: the first write leaves a stray '.corrupt' file beside it
    ('cx-settings-empty-is-corrupt', 'src/platform/SettingsDomain.cpp', '    if (bytes.trimmed().isEmpty())\n        return {{}, FileState::Parsed};\n', ''),
    # when the suite file is unusable the fallback domain is the same unusable file, so nothing is ever saved
    ('cx-settings-standard-is-suite', 'src/platform/SettingsDomain.cpp', 'AppIdentity::applicationId + QLatin1String(".json")', 'AppIdentity::suiteName + QLatin1String(".json")'),
    # the sweep for abandoned temporaries deletes the user's own '.quintara-…' files that are not temporaries
    ('cx-writer-sweep-any-suffix', 'src/platform/FileWriter.cpp', 'if (!name.startsWith(temporaryPrefix) || !name.endsWith(temporarySuffix))', 'if (!name.startsWith(temporaryPrefix))'),
    # granting a folder whose name holds a quote or backslash stores a grant that never resolves again
    ('cx-bookmark-path-unescaped', 'src/platform/Bookmark.cpp', '        const QByteArray quotedPath =\n            QJsonDocument(QJsonArray{path}).toJson(QJsonDocument::Compact).sliced(1).chopped(1);', '        const QByteArray quotedPath = QByteArray("\\"") + path.toUtf8() + "\\"";'),
    # after a crash the leftover socket file makes listening fail: later launches never reach the new instance
    ('cx-chan-stale-socket-kept', 'src/platform/InstanceChannel.cpp', '    ::unlink(path.constData()); // we hold the lock, so whatever socket is there is stale\n', ''),
    # a second launch without URLs no longer brings the welcome window back
    ('cx-chan-no-reopen', 'src/platform/InstanceChannel.cpp', '    if (message->urls.isEmpty())\n        Q_EMIT reopenRequested();\n    else\n        Q_EMIT urlsReceived(message->urls, message->activationToken);', '    Q_EMIT urlsReceived(message->urls, message->activationToken);'),
    # 'quintara --new -1 DIR' says nothing and exits 0; the instance then silently drops the request
    ('cx-cli-negative-index', 'src/launcher/CommandLine.cpp', 'if (!index || *index < 0) {', 'if (!index) {'),
    # when the running instance does not answer, the launcher starts a second program for the same request
    ('cx-launch-failed-falls-through', 'src/launcher/LaunchModule.cpp', '        std::fputs("quintara: the running instance did not answer\\n", stderr);\n        return 1;', '        std::fputs("quintara: the running instance did not answer\\n", stderr);'),
    # every reopen builds another welcome window; the earlier one stays on screen
    ('cx-app-welcome-rebuilt', 'src/app/AppDelegate.cpp', '        if (!m_welcomeWindow)\n            buildWelcomeWindow();', '        buildWelcomeWindow();'),
    # About Quintara opens Settings on whatever tab it was left on, not on About
    ('cx-app-about-any-tab', 'src/app/AppDelegate.cpp', '    showSettingsTab(SettingsView::AboutTab);', '    openSettingsWindow();'),
    # Help > Privacy Policy opens the support page
    ('cx-menus-privacy-opens-support', 'src/app/WindowMenus.cpp', '[&workspace] { openPage(workspace, AppIdentity::privacyUrl); }', '[&workspace] { openPage(workspace, AppIdentity::supportUrl); }'),
    # after adding or deleting a template the KDE service menu still offers the old list (wrong positions)
    ('cx-main-menu-not-rewritten', 'src/app/main.cpp', '    QObject::connect(&store, &TemplateStore::didChange, &app, writeServiceMenu);\n', ''),
    # right-clicking a single file offers 'New File', which targets the file's path as a folder
    ('cx-menu-file-as-folder', 'src/extension/MenuModel.cpp', 'if (!folder.isFolder || !isLocal(folder))', 'if (!isLocal(folder))'),
    # each menu entry creates the template after the one it names (the last one does nothing)
    ('cx-menu-index-shift', 'src/extension/MenuModel.cpp', 'menu->entries[i].requestUrl = createUrl(i, folder.localPath);', 'menu->entries[i].requestUrl = createUrl(i + 1, folder.localPath);'),
    # a line break in a template name breaks the KDE service menu file
    ('cx-smenu-control-kept', 'src/extension/ServiceMenu.cpp', "escaped += c.unicode() < 0x20 || c.unicode() == 0x7f ? QChar(u' ') : c;", 'escaped += c;'),
    # KDE hands the launcher a file:// URL instead of a path, so '--new' says the folder is not a folder
    ('cx-smenu-url-field-code', 'src/extension/ServiceMenu.cpp', 'QStringLiteral("%1 --from dolphin --new %2 %f")', 'QStringLiteral("%1 --from dolphin --new %2 %u")'),
    # the Caja module gives no menu on a folder's background
    ('cx-caja-no-background', 'src/extension/CajaModule.cpp', '    menuProvider->get_background_items = [](CajaMenuProvider*, GtkWidget*, CajaFileInfo* folder) {\n        return GtkFamilyProvider(api).forFolder(folder);\n    };\n', ''),
    # an extension typed as 'MD' is saved upper-case, so new files end in '.MD'
    ('cx-edit-ext-case-kept', 'src/model/FileTemplate.cpp', 'return cleanExtension(text, 0).first.toLower();', 'return cleanExtension(text, 0).first;'),
    # pressing Add twice quickly adds the template twice
    ('cx-edit-saved-twice', 'src/ui/templates/TemplateEditorView.cpp', 'if (m_saved || !isValid())', 'if (!isValid())'),
    # an extension typed as '. md' is saved as ' md' after the full stop is dropped
    ('cx-edit-clean-once', 'src/model/FileTemplate.cpp', '    for (;;) {\n        auto [next, nextCursor] = cleanOnce(text, cursor);\n        if (next == text)\n            return {text, cursor};\n        text = std::move(next);\n        cursor = nextCursor;\n    }', '    return cleanOnce(text, cursor);'),
    # a row moved down lands one place too far
    ('cx-list-move-overshoots', 'src/ui/templates/TemplateListModel.cpp', 'const qsizetype insertAt = to > from ? to - count : to;', 'const qsizetype insertAt = to;'),
    # Backspace no longer deletes the current custom template
    ('cx-list-backspace-ignored', 'src/ui/templates/TemplateListView.cpp', 'if (key == Qt::Key_Delete || key == Qt::Key_Backspace) {', 'if (key == Qt::Key_Delete) {'),
    # custom templates' switches show as off although custom templates are always offered
    ('cx-row-custom-off', 'src/ui/templates/TemplateListModel.cpp', '    return !shown.isBuiltIn || m_manager.store()', '    return m_manager.store()'),
    # a long template name cut short with an ellipsis has no tooltip, so the full name cannot be read
    ('cx-row-no-full-name-tooltip', 'src/ui/templates/TemplateListModel.cpp', '    case Qt::ToolTipRole:', '    case Qt::ToolTipRole:\n        return {};'),
    # the copyright year stays what it was when the tab was built, even after New Year
    ('cx-about-year-not-refreshed', 'src/ui/settings/AboutView.cpp', '    QWidget::showEvent(event);\n    m_copyright->setText(copyrightLine());', '    QWidget::showEvent(event);'),
    # with the name field empty the example reads '".ext", then " 2.ext"' instead of using Untitled
    ('cx-gen-example-empty-name', 'src/ui/settings/GeneralSettingsView.cpp', 'Texts().namingExample.arg(baseName.isEmpty() ? untitled : baseName)', 'Texts().namingExample.arg(baseName)'),
    # the General tab says access is required when it is granted, and granted when it is not
    ('cx-gen-access-forms-swapped', 'src/ui/settings/GeneralSettingsView.cpp', '    m_grantedForm->setVisible(granted);\n    m_requiredForm->setVisible(!granted);', '    m_grantedForm->setVisible(!granted);\n    m_requiredForm->setVisible(granted);'),
    # after folder access is granted, step 2's badge keeps its number instead of the green check
    ('cx-welcome-grant-not-complete', 'src/ui/welcome/WelcomeView.cpp', '.isComplete = true,', '.isComplete = false,'),
    # Enter on the keypad no longer presses Done in the welcome window
    ('cx-welcome-keypad-enter', 'src/ui/welcome/WelcomeView.cpp', 'const bool unmodified = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;', 'const bool unmodified = event->modifiers() == Qt::NoModifier;'),
    # step 1's file-manager status list appears below its 'Open Extension Settings' button
    ('cx-step-content-below-button', 'src/ui/welcome/StepRow.cpp', 'm_text->insertWidget(m_text->indexOf(m_buttonBar), content);', 'm_text->addWidget(content);'),
    # The faults an attack on the settings, imports, channel and command found, each as the code had it
    # before its mending; every one fails a test written as that attack.
    # a write cut short by a full disk still replaces the settings, with part of them
    ('atomic-short-write-ignored', 'src/platform/AtomicFile.cpp', '            return fail("writing");', '            break;'),
    # the settings, which hold the grant and the user's templates, readable by every user
    ('settings-mode-open', 'src/platform/SettingsDomain.cpp', 'constexpr unsigned ownerOnly = 0600;', 'constexpr unsigned ownerOnly = 0644;'),
    # imports grow the settings past what a read accepts, and the next read loses them all
    ('settings-bound-unchecked', 'src/platform/SettingsDomain.cpp', '    if (bytes.size() > maximumFileSize)\n        return fail', '    if (false)\n        return fail'),
    # a full disk is logged only as a lock that could not be taken
    ('settings-lock-cause-dropped', 'src/platform/SettingsDomain.cpp', ': AtomicFile::describe(error);', ': QString();'),
    # an unreadable settings file is moved aside without a word
    ('settings-corrupt-unlogged', 'src/platform/SettingsDomain.cpp', '    Log::line(QStringLiteral("[QNT] settings: %1 could not be read; kept aside as %2").arg(path, target));\n', ''),
    # one record that does not decode empties the whole list
    ('store-bad-record-fails-list', 'src/model/FileTemplate.cpp', '            ++result.undecodable;', '            return std::nullopt;'),
    # a list with records that do not decode is overwritten with no copy kept
    ('store-undecodable-not-kept', 'src/store/TemplateStore.cpp', 'FileTemplate::encodeList(m_customTemplates), undecodable);', 'FileTemplate::encodeList(m_customTemplates));'),
    # a list that could not be saved still shows, and is served, as if it had been
    ('store-failed-save-kept-in-memory', 'src/store/TemplateStore.cpp', '    if (!result)\n        load();\n', ''),
    # "added" logged for a template whose save then failed
    ('import-added-before-save', 'src/store/TemplateImporter.cpp', '        if (saved) {', '        if (true) {'),
    # a launcher path holding "%1" breaks every entry of KDE's menu
    ('menu-launcher-percent', 'src/extension/ServiceMenu.cpp', '.arg(launcher, QString::number(i))', '.arg(launcher).arg(i)'),
    # any web page's link makes a template of any file the user can read
    ('import-link-not-confirmed', 'src/app/AppDelegate.cpp', '    if (direct && !candidate.ownerOnly) {', '    if (!candidate.ownerOnly) {'),
    # a private key becomes a template without a question
    ('import-private-not-confirmed', 'src/app/AppDelegate.cpp', '    if (direct && !candidate.ownerOnly) {', '    if (direct) {'),
    # without a display a link's import waits for an answer nobody can give
    ('import-headless-queued', 'src/app/AppDelegate.cpp', '    if (!m_displayAvailable) {\n        TemplateImporter::logRefusal', '    if (false) {\n        TemplateImporter::logRefusal'),
    # /proc, /sys and /dev files become templates
    ('import-system-file', 'src/platform/RegularFile.cpp', '    if (isSystemFile(fd.get()))', '    if (false)'),
    # the naming queue grows without bound
    ('naming-queue-unbounded', 'src/app/AppDelegate.cpp', '            if (m_waitingForName.size() >= maximumWaiting) {', '            if (false) {'),
    # Cancel All ends only the window on screen
    ('naming-cancel-all-keeps-queue', 'src/app/AppDelegate.cpp', '        m_waitingForName.erase(m_waitingForName.begin() + 1, m_waitingForName.end());\n', ''),
    # a refused --new or --import exits 0 with nothing said
    ('launch-failure-exit-zero', 'src/launcher/CommandLine.cpp', '    return failures.isEmpty() ? 0 : 1;', '    return 0;'),
    # a launch whose connection an ending instance closed reports "did not answer" and makes nothing
    ('channel-reset-is-failure', 'src/platform/InstanceChannelClient.cpp', '            return answer.isEmpty() ? Delivery::NoInstance : Delivery::Failed;', '            return Delivery::Failed;'),
    # an instance that ends drops the launches queued at its socket
    ('channel-finish-drops-queued', 'src/platform/InstanceChannel.cpp', '    acceptConnections();\n    stopListening();\n    m_finished', '    stopListening();\n    m_finished'),
    # with both private runtime folders taken, another user's folder is used anyway
    ('runtime-unsafe-fallback', 'src/platform/InstanceChannelClient.cpp', '            return {}; // no channel rather than one that others may reach\n        folder = *found;', '        folder = found == std::end(fallbacks) ? fallbacks[1] : *found;'),
    # Save as Template from a file manager is asked about as if a link had asked
    ('module-not-direct', 'src/extension/GtkFamilyProvider.cpp', '{{QString::fromUtf8(static_cast<const char*>(url))}, {}, {true}}', '{{QString::fromUtf8(static_cast<const char*>(url))}, {}, {}}'),
    # without an instance, Save as Template goes as a link
    ('module-import-fallback-link', 'src/extension/GtkFamilyProvider.cpp', 'ImportRequest::parse(QString::fromUtf8(url))) {', 'std::optional<ImportRequest>()) {'),
    # Plain creates served by the command itself, where the file is shown, the file managers' menus.
    # Without a grant the command creates nowhere and fails instead of opening the welcome window.
    ('pc-grant-not-asked', 'src/creation/RequestServing.cpp', 'needsGrant ? services.store.resolveHomeFolderURL(/*logFailure=*/false) : std::optional<QUrl>(QUrl())', 'std::optional<QUrl>(QUrl())'),
    # With "Ask for a name" on, the command creates under the free name and the naming window never opens.
    ('pc-naming-ignored', 'src/creation/RequestServing.cpp', '            if (services.store.asksForFileName())\n                return std::nullopt;\n', ''),
    # A bare `quintara` (reopen) does nothing instead of showing the welcome window.
    ('pc-reopen-served', 'src/creation/RequestServing.cpp', '    if (urls.isEmpty()) // a reopen: the welcome window\n        return std::nullopt;\n', ''),
    # A link's import makes a template without asking.
    ('pc-link-import-direct', 'src/creation/RequestServing.cpp', 'import && direct.value(i, false)) {', 'import) {'),
    # A file only its owner may read becomes a template without asking.
    ('pc-private-import-direct', 'src/creation/RequestServing.cpp', '            if (candidate && candidate->ownerOnly)\n                return std::nullopt;\n', ''),
    # GNOME Files opens a new window for every file when no window shows the folder.
    ('fm-gnome-unconditional', 'src/platform/FileManagerBus.cpp', '    if (std::any_of(locations.begin(), locations.end(), [&](const QString& l) { return sameFolder(l, folder); }))\n        bus.showItems(service, file);', '    bus.showItems(service, file);'),
    # Dolphin shows the new file only on its slow poll.
    ('fm-dolphin-no-announce', 'src/platform/FileManagerBus.cpp', '    bus.connection().send(', '    if (false) bus.connection().send('),
    # Dolphin opens a window for every file when none shows the folder.
    ('fm-dolphin-unconditional', 'src/platform/FileManagerBus.cpp', 'if (open && !open->isEmpty() && open->constFirst().toBool()) {', 'if (true) {'),
    # Nemo, Caja and Thunar get ShowItems and open a window per file.
    ('fm-gtk-show-items', 'src/platform/FileManagerBus.cpp', '    else if (fileManager == QLatin1String("dolphin"))\n        revealInDolphin(bus, file, folder);', '    else if (fileManager == QLatin1String("dolphin"))\n        revealInDolphin(bus, file, folder);\n    else\n        bus.showItems(fileManagerInterface, file);'),
    # A request from a newer module naming another file manager is shown nowhere.
    ('fm-unknown-kept', 'src/creation/CreateRequest.cpp', 'fileManagers().contains(fileManager) ? fileManager : QString()', 'fileManager'),
    # The modules' requests do not say which file manager they come from.
    ('fm-menu-unnamed', 'src/extension/MenuModel.cpp', 'return CreateRequest::url(index, folderPath, m_fileManager);', 'return CreateRequest::url(index, folderPath);'),
    # `--from dolphin` is dropped: Dolphin's requests are shown by whichever file manager owns the bus name.
    ('fm-cli-from-dropped', 'src/launcher/CommandLine.cpp', 'return CreateRequest::url(*index, folder, fileManager);', 'return CreateRequest::url(*index, folder);'),
    # Dolphin lists the 11th template and later between the 2nd and the 3rd.
    ('dm-ids-unpadded', 'src/extension/ServiceMenu.cpp', "QStringLiteral(\"new%1\").arg(i, width, 10, QLatin1Char('0'))", 'QStringLiteral("new%1").arg(i)'),
    # Dolphin's menu is in the language of whoever last wrote it.
    ('dm-one-language', 'src/extension/ServiceMenu.cpp', '    for (const QString& language : MenuModel::languages())\n        lines +=', '    for (const QString& language : QStringList())\n        lines +='),
    # Thunar shows a broken-image icon: only the type's own name is offered.
    ('ic-thunar-one-name', 'src/extension/GtkFamilyProvider.cpp', '    GIcon* icon = g_themed_icon_new_from_names(list.data(), -1);', '    GIcon* icon = g_themed_icon_new_from_names(list.data(), 1);'),
    # A bus that never answers holds every command for half a minute.
    ('rv-unbounded', 'src/launcher/LoadedReveal.cpp', 'if (done.wait_for(revealBound) == std::future_status::ready) {', 'if (done.wait(), true) {'),
    # A refused import through the command reports success.
    ('im-refusal-silent', 'src/creation/RequestServing.cpp', '            failures.append(importFailure(path, *refusal));', '            Log::line(importFailure(path, *refusal));'),
    # The command hands requests to a listener in a runtime folder others may enter.
    ('ho-runtime-unchecked', 'src/launcher/HandOver.cpp', 'info.st_uid != ::geteuid() || (info.st_mode & 077) != 0)', 'false)'),
    # The command hands requests to another user's listener.
    ('ho-peer-unchecked', 'src/launcher/HandOver.cpp', ' || peer.uid != ::geteuid())', ')'),
    # Any answer counts as success: failed requests exit 0 without a word.
    ('ho-any-answer-succeeds', 'src/launcher/HandOver.cpp', '(size == sizeof served - 1 && std::memcmp(bytes, served, size) == 0) ||', 'size > 0 ||'),
    # A token with spaces or control characters is passed on.
    ('ho-token-unchecked', 'src/launcher/HandOver.cpp', 'usable = token[i] > 0x20 && token[i] < 0x7f;', 'usable = true;'),
    # A URL with a space is handed over as it is, where the full command refuses it.
    ('ho-space-plain', 'src/launcher/HandOver.cpp', 'std::strchr("-._~!$&\'()*+,;=:@/?", *c)', 'std::strchr("-._~!$&\'()*+,;=:@/? ", *c)'),
    # A write inside a read scope is not seen by the reads after it.
    ('rs-write-kept', 'src/platform/SettingsDomain.cpp', '        scopedReads->remove(m_filePath);', '        ;'),
    # A read scope never ends: the program stops seeing changes made by others.
    ('rs-never-ends', 'src/platform/SettingsDomain.cpp', '        delete std::exchange(scopedReads, nullptr);', '        ;'),
    # A folder named with a space, "%" or "&" in Dolphin's menu gets its file elsewhere, or none.
    ('ho-menu-folder-unescaped', 'src/launcher/HandOver.cpp', 'std::strchr("-._~/", byte)) {', 'std::strchr("-._~/ %&", byte)) {'),
    # The command a module starts inherits the file manager's open files, and keeps them for the session.
    ('sp-descriptors-inherited', 'src/extension/GtkFamilyProvider.cpp', 'posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1) == 0 &&', 'true &&'),
    # Two --new requests swap their folders: each file lands in the other folder.
    ('cl-new-pairs-last', 'src/launcher/CommandLine.cpp', 'indexes.takeFirst()', 'indexes.takeLast()'),
    # A URL holding bytes that are not UTF-8 is read with other characters: a file in a look-alike folder.
    ('cl-url-bytes-unchecked', 'src/launcher/CommandLine.cpp', ' && argument.toUtf8() == LocalPath::toBytes(argument)', ''),
    # '--from nowhere' is taken: the file is created but shown nowhere, with no word about the typo.
    ('cl-from-unchecked', 'src/launcher/CommandLine.cpp', 'if (!CreateRequest::fileManagers().contains(fileManager)) {', 'if (false) {'),
    # '--new 0' without a folder exits 0 having created nothing.
    ('cl-new-without-folder', 'src/launcher/CommandLine.cpp', '    if (!indexes.isEmpty()) {', '    if (false) {'),
    # Templates in no group come before the groups in Dolphin's menu, against every other file manager's.
    ('grp-ungrouped-first', 'src/extension/MenuModel.cpp', '    return order + ungrouped();', '    return ungrouped() + order;'),
    # Two templates of one group make two submenus of the same name.
    ('grp-group-per-entry', 'src/extension/MenuModel.cpp', '        if (group == menu.groups.end())', '        if (true)'),
    # A template's own file name is ignored: every new file is "Untitled".
    ('bn-own-name-ignored', 'src/creation/FileCreationService.cpp', '    return own.trimmed().isEmpty() ? m_store.defaultBaseName() : own;', '    return m_store.defaultBaseName();'),
    # A folder template is saved as a file template: after a restart it makes an empty file.
    ('ft-kind-dropped', 'src/model/FileTemplate.cpp', '    if (t.isFolder)\n        out.append(",\\"kind\\":\\"folder\\"");\n', ''),
    # A record of a kind from a newer version is made as a file.
    ('ft-unknown-kind-accepted', 'src/model/FileTemplate.cpp', "kind != QLatin1String(\"file\") && kind != QLatin1String(\"folder\")", 'false'),
    # A group typed with a space after it makes a second submenu beside the first.
    ('ed-group-not-trimmed', 'src/ui/templates/TemplateEditorView.cpp', '    m_draft.group = HorizontalSpace::trimmed(m_draft.group);\n', ''),
    # A folder template makes an empty file named like the folder.
    ('fo-served-as-file', 'src/creation/RequestServing.cpp', '        chosen.isFolder\n', '        false\n'),
    # "Save as Template" on a folder is refused as "not a regular file".
    ('fo-import-as-file', 'src/store/TemplateImporter.cpp', '    if (LocalPath::kind(path) == LocalPath::Kind::folder) {', '    if (false) {'),
    # A deleted folder template's tree stays on disk for ever.
    ('fo-tree-kept', 'src/ui/templates/TemplatesView.cpp', '            FolderTemplateTree().remove(deleted.id);', '            ;'),
    # Undo brings a folder template back without its tree: it then fails to create anything.
    ('fo-tree-removed-at-once', 'src/ui/templates/TemplatesView.cpp', '    m_deleted.append({position, deleted});', '    m_deleted.append({position, deleted});\n    if (deleted.isFolder)\n        FolderTemplateTree().remove(deleted.id);'),
    # A refused folder says only that it holds something unfit, not what.
    ('fo-items-unnamed', 'src/creation/RequestServing.cpp', '    return notes.isEmpty() ? failure : failure + QStringLiteral(": ") + notes.join(QStringLiteral("; "));', '    return failure;'),
    # A folder name typed in the naming window that is taken silently becomes "Name 2".
    ('fo-named-numbered', 'src/creation/FolderCreationService.cpp', '        if (exactName)\n            return number++ == 0 ? newBase : QString();\n', ''),
    # No Save as Template on a selected folder in the GTK file managers.
    ('fo-menu-no-folder', 'src/extension/MenuModel.cpp', '(selection.constFirst().isRegularFile || selection.constFirst().isFolder)', 'selection.constFirst().isRegularFile'),
]
