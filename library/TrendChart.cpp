#include "library/TrendChart.h"

#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QValueAxis>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

const char* const kTitles[] = {"Capacity (mAh)", "Energy (Wh)", "End cell spread (mV)"};
const char* const kLabelFormats[] = {"%.0f", "%.1f", "%.0f"};

std::optional<double> valueOf(const RunFigures& f, TrendChart::Quantity q)
{
    switch (q) {
    case TrendChart::Quantity::Capacity: return f.judgedCapacity();
    case TrendChart::Quantity::Energy: return f.energy;
    case TrendChart::Quantity::EndSpread: return f.endSpread;
    }
    return std::nullopt;
}

} // namespace

TrendChart::TrendChart(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    for (int q = 0; q < kQuantityCount; ++q) {
        auto* chart = new QChart;
        chart->setTitle(QString::fromUtf8(kTitles[q]));
        chart->legend()->setAlignment(Qt::AlignRight);
        chart->setMargins(QMargins(4, 4, 4, 4));
        auto* view = new QChartView(chart, this);
        view->setRenderHint(QPainter::Antialiasing);
        view->setMinimumHeight(140);
        views_[static_cast<std::size_t>(q)] = view;
        layout->addWidget(view);
    }
}

QChart* TrendChart::chart(Quantity quantity) const
{
    return views_[static_cast<std::size_t>(quantity)]->chart();
}

void TrendChart::setHistory(const std::vector<PackRun>& runs)
{
    for (int q = 0; q < kQuantityCount; ++q) {
        const auto quantity = static_cast<Quantity>(q);
        QChart* c = chart(quantity);
        c->removeAllSeries();
        // removeAxis hands the axis back to us; it would leak on every reload.
        for (QAbstractAxis* axis : c->axes()) {
            c->removeAxis(axis);
            delete axis;
        }

        auto* xAxis = new QValueAxis;
        xAxis->setTitleText(QStringLiteral("Run, oldest first"));
        xAxis->setLabelFormat(QStringLiteral("%d"));
        xAxis->setRange(0.5, std::max<double>(1.5, static_cast<double>(runs.size()) + 0.5));
        xAxis->setTickType(QValueAxis::TicksDynamic);
        xAxis->setTickAnchor(1);
        xAxis->setTickInterval(std::max(1.0, std::ceil(static_cast<double>(runs.size()) / 10.0)));
        auto* yAxis = new QValueAxis;
        yAxis->setLabelFormat(QString::fromLatin1(kLabelFormats[q]));
        yAxis->setTickCount(4);
        c->addAxis(xAxis, Qt::AlignBottom);
        c->addAxis(yAxis, Qt::AlignLeft);

        double low = std::numeric_limits<double>::infinity();
        double high = -low;
        for (const RunFigures::Mode mode : {RunFigures::Mode::Charge, RunFigures::Mode::Discharge}) {
            auto* series = new QLineSeries;
            series->setName(mode == RunFigures::Mode::Charge ? QStringLiteral("charges") : QStringLiteral("discharges"));
            series->setPointsVisible(true);
            for (std::size_t i = 0; i < runs.size(); ++i) {
                const std::optional<double> v = valueOf(runs[i].figures, quantity);
                if (runs[i].figures.mode != mode || !v)
                    continue;
                series->append(static_cast<double>(i + 1), *v);
                low = std::min(low, *v);
                high = std::max(high, *v);
            }
            if (series->count() == 0) {
                delete series;
                continue;
            }
            c->addSeries(series);
            series->attachAxis(xAxis);
            series->attachAxis(yAxis);
        }
        if (low <= high) {
            const double margin = std::max((high - low) * 0.1, std::max(std::fabs(high) * 0.02, 1e-3));
            yAxis->setRange(std::max(0.0, low - margin), high + margin);
        }
    }
}
