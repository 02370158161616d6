#pragma once

#include "model/FileTemplate.h"

#include <QByteArrayView>
#include <QList>

#include <optional>

// Reads a stored template list in the shape this program writes (a JSON array of flat records of
// texts and booleans) straight into records, several times faster than building a JSON document
// first. It answers only when it is sure: a list it does not fully understand, or one that is
// malformed, yields nothing, and the caller decodes it the general way. Whenever it answers, the
// answer is the one the general decoder gives.
std::optional<QList<FileTemplate>> parseWellFormedTemplateList(QByteArrayView json);
