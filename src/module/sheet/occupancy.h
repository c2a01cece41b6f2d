#pragma once
// How the week grid shows its load: a colour per status, told apart by lightness too so a grey
// print and colour-blind readers still see them, a hatch where reservations overlap, the
// legend under the grid and the text of a cell's tooltip.
#include "sheet/weekgrid.h"

#include <inhouse/ui/report.h>

#include <QAbstractItemView>
#include <QBrush>
#include <QString>
#include <QWidget>

#include <vector>

// NoBrush for a cell nothing covers. With several statuses in one cell, in progress shows over
// pending, and pending over concluded. `dark` for a dark palette on the screen; paper is light.
QBrush OccupancyBrush(const TWeekCellLoad &load, bool dark = false);

// The week grid shows the brushes of its own palette (its model keeps the paper's).
void ShowOccupancy(QAbstractItemView *grid);

// "Pendente", "Em Andamento", "Concluída"; empty for an unknown code.
QString StatusName(QChar status);

// The orders at `covering` (positions in `reservations`): order, product, start and end, status.
QString OccupancyHint(const std::vector<TWeekReservation> &reservations, const std::vector<int> &covering);

// The swatches and their names, for the legend on the screen and on paper.
QList<TReportKey> OccupancyKeys(bool dark = false);

// A row of swatches and their names, for under the grid.
QWidget *OccupancyLegend(QWidget *parent);
