#pragma once
// Pieces the master maintenance screens share.

class QString;
class QWidget;
class TNumberEdit;

namespace admin {

// An integer code field (department code, institution code): digits only,
// 0 to the largest integer the column holds, zero shown blank.
TNumberEdit* newCodeEdit(QWidget* parent, const QString& name, int width);

} // namespace admin
