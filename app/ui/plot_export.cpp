#include "app/ui/plot_export.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QStringList>
#include <array>
#include <cstdio>
#include <memory>
#include <qcustomplot.h>

#include "app/shell/chart_set.h"
#include "app/ui/chart_view.h"
#include "app/ui/dir_map_widget.h"
#include "app/ui/directivity_views.h"
#include "app/ui/polar_plot_widget.h"
#include "app/ui/qt_text.h"
#include "storage/latin1.h"

namespace sonora::ui {

namespace {

// The charts drawn, in this order; their content comes from the chart set like the window's.
constexpr std::array kPlottedCharts = {
    ChartKind::Box,
    ChartKind::Phase,
    ChartKind::DirectionsUp,
    ChartKind::DirectionsDown,
    ChartKind::DirectionsLeft,
    ChartKind::DirectionsRight,
    ChartKind::MaxVoltage,
    ChartKind::MaxLevel,
    ChartKind::DriverVoltages,
    ChartKind::DirectivityIndex,
    ChartKind::GroupDelay,
    ChartKind::Spinorama,
    ChartKind::Reflections,
    ChartKind::Impulse,
    ChartKind::Step,
};

// The process's Qt application: the existing one, or an offscreen one made for this export.
class OffscreenApplication {
public:
    OffscreenApplication() {
        if (QCoreApplication::instance() != nullptr) {
            return;
        }
        // No screen is needed to draw into an image; a user's own choice stays in force.
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        // The toolkit's notes about the missing desktop (runtime folder, window hints) mean
        // nothing for pictures; only its errors reach the terminal.
        previousHandler_ = qInstallMessageHandler(onlyErrors);
        own_ = std::make_unique<QApplication>(argc_, argv_.data());
    }
    ~OffscreenApplication() {
        if (own_ != nullptr) {
            own_.reset();
            qInstallMessageHandler(previousHandler_);
        }
    }
    OffscreenApplication(const OffscreenApplication&) = delete;
    OffscreenApplication& operator=(const OffscreenApplication&) = delete;
    bool usable() const {
        return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
    }

private:
    int argc_ = 1;
    std::array<char, sizeof("sonora")> name_{"sonora"};
    std::array<char*, 2> argv_{name_.data(), nullptr};
    std::unique_ptr<QApplication> own_;
    QtMessageHandler previousHandler_ = nullptr;

    static void onlyErrors(QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg) {
            std::fprintf(stderr, "%s\n", qPrintable(text));
        }
    }
};

// Saves `image` as `name` in `dir`, noting the file or the failure.
void savePicture(const QImage& image, const QString& dir, const std::string& name,
                 PlotExport& out) {
    const QString file = QDir(dir).filePath(QString::fromStdString(name));
    if (!image.isNull() && image.save(file, "PNG")) {
        out.files.push_back(toUtf8(file));
    } else {
        out.errors.push_back("Kann " + toUtf8(file) + " nicht schreiben.");
    }
}

// The chart with its notes in a column on its right, as the window shows the spinorama with its
// rating beside it; a chart without notes fills the whole picture.
QImage chartPicture(ChartView& view, const ChartContent& content) {
    if (content.notes.empty()) {
        return view.plot()->toPixmap(kPlotWidth, kPlotHeight).toImage();
    }
    constexpr int kNotesMargin = 12; // pixels around the notes' text
    const int chartWidth = kPlotWidth - kChartNotesWidth;
    QImage picture(kPlotWidth, kPlotHeight, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.drawPixmap(0, 0, view.plot()->toPixmap(chartWidth, kPlotHeight));
    QStringList lines;
    for (const std::string& line : content.notes) {
        lines.append(fromLatin1(line));
    }
    painter.setPen(Qt::black);
    painter.drawText(QRect(chartWidth + kNotesMargin, kNotesMargin,
                           kChartNotesWidth - 2 * kNotesMargin, kPlotHeight - 2 * kNotesMargin),
                     Qt::AlignTop | Qt::AlignLeft | Qt::TextWordWrap,
                     lines.join(QLatin1Char('\n')));
    return picture;
}

// Takes a view out of its tab page for drawing at a size of its own (the page's layout would give
// a never-shown page's child no room), and puts it back.
class DetachedView {
public:
    DetachedView(QWidget* view, QSize size) : view_(view), page_(view->parentWidget()) {
        view_->setParent(nullptr);
        view_->resize(size);
    }
    ~DetachedView() { view_->setParent(page_); }
    DetachedView(const DetachedView&) = delete;
    DetachedView& operator=(const DetachedView&) = delete;

private:
    QWidget* view_;
    QWidget* page_;
};

// The directivity map in both planes and the polar charts, painted by the window's own views at
// their default settings (polar charts at their first frequency).
void writeDirectivityPlots(const TProjekt& project, const TResult& result, const QString& dir,
                           PlotExport& out) {
    QWidget holder; // parent of the views' pages; never shown
    DirectivityViews views([&out](const std::string& m) { out.errors.push_back(m); }, &holder);
    views.fill(result, project.option);
    const QSize size(kPlotWidth, kPlotHeight);
    const std::string map = "Richtungs-Sonogramm";
    {
        const DetachedView detached(views.map(), size);
        views.verticalSwitch()->setChecked(false);
        savePicture(views.map()->renderImage(), dir, plotFileName(map + " horizontal"), out);
        views.verticalSwitch()->setChecked(true);
        savePicture(views.map()->renderImage(), dir, plotFileName(map + " vertikal"), out);
    }
    const DetachedView detached(views.polar(), size);
    savePicture(views.polar()->renderImage(), dir, plotFileName("Polarplots"), out);
}

} // namespace

std::string plotFileName(const std::string& latin1Title) {
    const std::string name = fileNameStem(latin1Title);
    return (name.empty() ? std::string("Diagramm") : name) + ".png";
}

PlotExport writeResultPlots(const TProjekt& project, const TResult& result,
                            const std::string& folder) {
    PlotExport out;
    const OffscreenApplication application;
    if (!application.usable()) {
        out.errors.push_back("Diagramme brauchen eine Qt-Widgets-Anwendung.");
        return out;
    }
    const QString dir = fromUtf8(folder);
    if (!QDir().mkpath(dir)) {
        out.errors.push_back("Kann das Verzeichnis " + folder + " nicht anlegen.");
        return out;
    }
    ChartSet charts;
    for (const std::string& failure : charts.update(result, project.option, ChartSwitches{})) {
        out.errors.push_back(latin1ToUtf8(failure));
    }
    for (const ChartKind kind : kPlottedCharts) {
        const ChartContent& content = charts.chart(kind);
        ChartView view; // a fresh one each, so no axis setting carries over
        view.setContent(content);
        savePicture(chartPicture(view, content), dir, plotFileName(content.title), out);
    }
    writeDirectivityPlots(project, result, dir, out);
    return out;
}

} // namespace sonora::ui
