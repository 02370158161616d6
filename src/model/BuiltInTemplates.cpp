#include "model/BuiltInTemplates.h"

#include <QCoreApplication>

namespace {

// Bodies are spelled line by line so that no editor can strip a meaningful trailing space.
const char* const markdownBody = "# {{folder}}\n"
                                 "\n";

const char* const jsonBody = "{\n"
                             "  \n"
                             "}\n";

// An empty A4 rich-text document, one-inch margins, Helvetica 12 pt; no final line feed.
const char* const rtfBody =
    R"({\rtf1\ansi\ansicpg1252\cocoartf2709)"
    "\n"
    R"({\fonttbl\f0\fswiss\fcharset0 Helvetica;})"
    "\n"
    R"({\colortbl;\red255\green255\blue255;})"
    "\n"
    R"(\paperw11900\paperh16840\margl1440\margr1440\vieww11520\viewh8400\viewkind0)"
    "\n"
    R"(\pard\tx566\tx1133\tx1700\tx2267\tx2834\tx3401\tx3968\tx4535\tx5102\tx5669\tx6236\tx6803)"
    R"(\pardirnatural\partightenfactor0)"
    "\n"
    R"(\f0\fs24 \cf0 })";

const char* const shellBody = "#!/bin/bash\n"
                              "# Created: {{date}}\n"
                              "\n";

const char* const pythonBody = "#!/usr/bin/env python3\n"
                               "# Created: {{date}}\n"
                               "\n";

const char* const htmlBody = "<!DOCTYPE html>\n"
                             "<html lang=\"en\">\n"
                             "<head>\n"
                             "  <meta charset=\"UTF-8\">\n"
                             "  <meta name=\"viewport\" content=\"width=device-width, initial-scale=1.0\">\n"
                             "  <title>Document</title>\n"
                             "</head>\n"
                             "<body>\n"
                             "  \n"
                             "</body>\n"
                             "</html>\n";

// U+2014 EM DASH between the two placeholders.
const char* const cssBody = "/* {{folder}} \u2014 {{date}} */\n"
                            "\n";

FileTemplate builtIn(int position, const char* name, const char* extension, const char* body)
{
    const QString idText = QStringLiteral("10000000-0000-0000-0000-00000000000%1").arg(position);
    return FileTemplate{*FileTemplate::parseId(idText), QString::fromUtf8(name), QString::fromUtf8(extension),
                        QString::fromUtf8(body), true};
}

QList<FileTemplate> makeCatalogue()
{
    return {
        builtIn(1, QT_TRANSLATE_NOOP("BuiltInTemplates", "Text File"), "txt", ""),
        builtIn(2, QT_TRANSLATE_NOOP("BuiltInTemplates", "Markdown"), "md", markdownBody),
        builtIn(3, QT_TRANSLATE_NOOP("BuiltInTemplates", "JSON"), "json", jsonBody),
        builtIn(4, QT_TRANSLATE_NOOP("BuiltInTemplates", "Rich Text"), "rtf", rtfBody),
        builtIn(5, QT_TRANSLATE_NOOP("BuiltInTemplates", "Shell Script"), "sh", shellBody),
        builtIn(6, QT_TRANSLATE_NOOP("BuiltInTemplates", "Python Script"), "py", pythonBody),
        builtIn(7, QT_TRANSLATE_NOOP("BuiltInTemplates", "HTML"), "html", htmlBody),
        builtIn(8, QT_TRANSLATE_NOOP("BuiltInTemplates", "CSS"), "css", cssBody),
    };
}

} // namespace

const QList<FileTemplate>& builtInTemplates()
{
    // A function-local static is initialised exactly once, even when first reached from several threads.
    static const QList<FileTemplate> catalogue = makeCatalogue();
    return catalogue;
}

QString shownName(const FileTemplate& fileTemplate)
{
    return fileTemplate.isBuiltIn
               ? QCoreApplication::translate("BuiltInTemplates", fileTemplate.name.toUtf8().constData())
               : fileTemplate.name;
}
