#pragma once
// The three production-order status toggles of the reservation windows: check-style tool
// buttons "Pendente", "Em Andamento" and "Concluída", all down at start, that take no focus (a
// click leaves the focus where it was), and the status texts the server is asked with.
#include <inhouse/inhouse_export.h>

#include <QIcon>
#include <QString>
#include <QStringList>
#include <QToolBar>
#include <QToolButton>

#include <array>

// The texts sent for the toggles, in the order pending, in progress, concluded: "1", "2" and
// "2" (concluded travels as "2" too) for a toggle down, empty for one up.
struct TStatusTexts {
  QString pend, andamento, conc;
  bool operator==(const TStatusTexts &) const = default;
};

class INHOUSE_EXPORT TStatusToggles : public QToolBar {
  Q_OBJECT
public:
  // The status images: 0 pending, 1 concluded, 2 in progress (16 by 16).
  static QIcon StatusImage(int index);
  // "Pendente", "Em Andamento", "Concluída": the statuses' names, in the toggles' order.
  static const std::array<QString, 3> &Names();

  // images: the image each toggle shows, in the order pending, in progress, concluded.
  explicit TStatusToggles(QWidget *parent = nullptr, std::array<int, 3> images = {0, 2, 1});

  QToolButton *tbtPendente, *tbtAndamento, *tbtConcluida;

  TStatusTexts Texts() const;
  // The names of the toggles down, in the toggles' order.
  QStringList CheckedNames() const;
  std::array<int, 3> Images() const { return m_images; }

signals:
  // After a toggle changed by a click (its new state is already set).
  void clicked(QToolButton *toggle);

private:
  std::array<int, 3> m_images;
};
