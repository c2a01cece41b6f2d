#pragma once
// A small looping animation that tells the user a search is running: a magnifying glass
// sweeping over a sheet of paper. It moves on a timer, so it keeps moving while a server call
// waits in a local event loop.
#include <inhouse/inhouse_export.h>

#include <QTimer>
#include <QWidget>

class INHOUSE_EXPORT TAnimate : public QWidget {
  Q_OBJECT
public:
  explicit TAnimate(QWidget *parent = nullptr);

  static constexpr int FrameCount = 16;
  // The frame shown while stopped, 1 to FrameCount.
  int StopFrame = 1;

  // Starting plays from the first frame; stopping shows StopFrame.
  void SetActive(bool active);
  bool Active() const { return m_timer.isActive(); }
  int Frame() const { return m_frame; } // the frame on screen, 1-based

  QSize sizeHint() const override { return {80, 40}; }

protected:
  void paintEvent(QPaintEvent *event) override;

private:
  QTimer m_timer;
  int m_frame = 1;
};
