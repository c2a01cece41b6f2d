#pragma once
// The MDI frame the module's windows live in, with the host's own menus and status line.
#include "zrt/host/options.h"

#include <QMainWindow>

#include <memory>

class QAction;
class QLabel;
class QMdiArea;

namespace zrt::host {

class DataModule;
class PackageLoader;

class MainWindow : public QMainWindow {
  Q_OBJECT
public:
  // Registers itself as the library's main form and takes the package loader's unload handler.
  explicit MainWindow(const HostOptions &options, QWidget *parent = nullptr);
  ~MainWindow() override;

  // After show(): opens the database (a failure is reported; the window stays usable) and,
  // with --open-sheet, the sheet.
  void start();
  // The menu item's action: load the module when needed and call its IniProc.
  bool openSheet();

  QMdiArea *mdiArea() const { return m_mdi; }
  PackageLoader *loader() const { return m_loader.get(); }
  DataModule *dataModule() const { return m_data.get(); }
  QAction *sheetAction() const { return m_sheetAction; }
  const HostOptions &options() const { return m_options; }

protected:
  void closeEvent(QCloseEvent *event) override;

private:
  void buildMenus();
  void updateStatus();
  void showAbout();

  HostOptions m_options;
  QMdiArea *m_mdi = nullptr;
  QAction *m_sheetAction = nullptr;
  QLabel *m_operatorLabel = nullptr;
  QLabel *m_dbLabel = nullptr;
  QLabel *m_serverLabel = nullptr;
  QLabel *m_moduleLabel = nullptr;
  std::unique_ptr<PackageLoader> m_loader;
  std::unique_ptr<DataModule> m_data;
};

} // namespace zrt::host
