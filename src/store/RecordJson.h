#pragma once

#include "store/RecordFile.h"

#include <QJsonObject>

// The whole content of a file as read, for scripting and repair.
QJsonObject recordFileJson(const RecordFileData& data);
QJsonObject personJson(const PersonRecord& p);
