#include "app/FirstPaintReport.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdio>

namespace varlo::app {

namespace {

class FirstPaintWatch : public QObject {
  public:
    explicit FirstPaintWatch(QWidget& window) : QObject(&window), window_(window) {
        window_.installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &window_ && event->type() == QEvent::Paint) {
            window_.removeEventFilter(this);
            // The window's own paint comes first in the pass that paints it;
            // its controls and the flush to the screen follow in the same
            // pass, before a zero timer runs.
            QTimer::singleShot(0, this, [] {
                const auto now = std::chrono::steady_clock::now().time_since_epoch();
                std::fprintf(
                    stderr, "first paint %lld\n",
                    static_cast<long long>(
                        std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
                std::fflush(stderr);
                QCoreApplication::exit(0);
            });
        }
        return false;
    }

  private:
    QWidget& window_;
};

}  // namespace

void ReportFirstPaint(QWidget& window) {
    new FirstPaintWatch(window);
}

}  // namespace varlo::app
