#pragma once

#include <QByteArray>
#include <QStringList>

#include <gtk/gtk.h>

// For a GTK 3 file manager that takes an item's icon as one literal name: the first of the names
// that the desktop's icon theme has, else the last (the generic one, which every theme has).
inline QByteArray firstIconInTheme(const QStringList& names)
{
    GtkIconTheme* theme = gdk_screen_get_default() ? gtk_icon_theme_get_default() : nullptr;
    for (const QString& name : names) {
        if (theme && gtk_icon_theme_has_icon(theme, name.toUtf8().constData()))
            return name.toUtf8();
    }
    return names.value(names.size() - 1).toUtf8();
}
