#pragma once

#include "model/FileTemplate.h"

#include <QList>

// The eight templates that ship with the product, in catalogue order. Their identifiers are shared
// with the file manager extension and stored in the enabled set, so they never change.
const QList<FileTemplate>& builtInTemplates();
