#include "app/TimeChartSettingsStore.h"

#include <cmath>
#include <cstddef>

namespace kv {

namespace {

constexpr const char* kLossTangent = "loss tangent";
constexpr const char* kPermittivity = "e1 e2";
constexpr const char* kLimitKeys[4] = {"TimeFrom", "TimeTo", "ValueFrom", "ValueTo"};

// Numbers are written as text that reads back to the same double.
QString Number(double value) {
    return QString::number(value, 'g', 17);
}

bool ReadNumber(QSettings& settings, const QString& key, double& value) {
    bool ok = false;
    const double read = settings.value(key).toString().toDouble(&ok);
    if (ok && std::isfinite(read)) {
        value = read;
        return true;
    }
    return false;
}

QString FrequencyKey(std::size_t k) {
    return QStringLiteral("Frequency%1").arg(k + 1);
}

}  // namespace

TimeChartSettings LoadTimeChartSettings(QSettings& settings) {
    TimeChartSettings values;
    settings.beginGroup(QLatin1String(kTimeChartSettingsGroup));
    values.shown = settings.value(QStringLiteral("Shown"), values.shown).toBool();
    values.quantity =
        settings.value(QStringLiteral("Quantity")).toString() == QLatin1String(kLossTangent)
            ? TimeChartQuantity::LossTangent
            : TimeChartQuantity::Permittivity;
    for (std::size_t k = 0; k < values.frequencies.size(); ++k) {
        double f = 0.0;
        if (ReadNumber(settings, FrequencyKey(k), f) && f > 0) {
            values.frequencies[k] = f;
        }
    }
    values.autoscale = settings.value(QStringLiteral("Autoscale"), values.autoscale).toBool();
    double limits[4] = {values.scale.timeMin, values.scale.timeMax, values.scale.valueMin,
                        values.scale.valueMax};
    for (std::size_t i = 0; i < 4; ++i) {
        ReadNumber(settings, QLatin1String(kLimitKeys[i]), limits[i]);
    }
    const TimeChartBounds scale{limits[0], limits[1], limits[2], limits[3]};
    if (scale.Valid()) {
        values.scale = scale;
    }
    settings.endGroup();
    return values;
}

void SaveTimeChartSettings(QSettings& settings, const TimeChartSettings& values) {
    settings.beginGroup(QLatin1String(kTimeChartSettingsGroup));
    settings.setValue(QStringLiteral("Shown"), values.shown);
    settings.setValue(
        QStringLiteral("Quantity"),
        QLatin1String(values.quantity == TimeChartQuantity::LossTangent ? kLossTangent
                                                                        : kPermittivity));
    for (std::size_t k = 0; k < values.frequencies.size(); ++k) {
        settings.setValue(FrequencyKey(k), Number(values.frequencies[k]));
    }
    settings.setValue(QStringLiteral("Autoscale"), values.autoscale);
    const double limits[4] = {values.scale.timeMin, values.scale.timeMax, values.scale.valueMin,
                              values.scale.valueMax};
    for (std::size_t i = 0; i < 4; ++i) {
        settings.setValue(QLatin1String(kLimitKeys[i]), Number(limits[i]));
    }
    settings.endGroup();
    settings.sync();
}

}  // namespace kv
