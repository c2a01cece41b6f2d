#pragma once
// The data layer's one exception: wrong-state operations, unknown fields, bad values and SQL
// failures. Its text is fit to show the user.
#include <inhouse/export.h>

#include <QString>
#include <stdexcept>

class INHOUSE_EXPORT EDatabaseError : public std::runtime_error {
public:
  explicit EDatabaseError(const QString &message);
  QString Message() const { return QString::fromUtf8(what()); }
};
