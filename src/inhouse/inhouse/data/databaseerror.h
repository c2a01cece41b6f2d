#pragma once
// The data layer's one exception: wrong-state operations, unknown fields, bad values and SQL
// failures. Its text is fit to show the user.
#include <inhouse/errors.h>
#include <inhouse/inhouse_core_export.h>

class INHOUSE_CORE_EXPORT EDatabaseError : public EInhouseError {
public:
  using EInhouseError::EInhouseError;
};
