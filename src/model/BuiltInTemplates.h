#pragma once

#include "model/FileTemplate.h"

#include <QList>

// The eight templates that ship with the product, in catalogue order. Their identifiers are shared
// with the file manager extension and stored in the enabled set, so they never change.
const QList<FileTemplate>& builtInTemplates();

// The name a person sees: a built-in's in the user's language (the record keeps its English name,
// which nothing stores), a custom template's as the user wrote it.
QString shownName(const FileTemplate& fileTemplate);
