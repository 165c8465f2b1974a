#include "display/ScaleSheet.h"

namespace kv {

void ScaleSheet::ResetHorizontal() {
    format.current.xMin = format.defaults.xMin;
    format.current.xMax = format.defaults.xMax;
    format.minUnit = format.defaultMinUnit;
    format.maxUnit = format.defaultMaxUnit;
}

void ScaleSheet::ResetVertical() {
    format.current.yMin = format.defaults.yMin;
    format.current.yMax = format.defaults.yMax;
}

void ScaleSheet::AutoScaleHorizontal() {
    format.current.xMin = format.offer.xMin;
    format.current.xMax = format.offer.xMax;
    format.minUnit = format.offerMinUnit;
    format.maxUnit = format.offerMaxUnit;
}

void ScaleSheet::AutoScaleVertical() {
    format.current.yMin = format.offer.yMin;
    format.current.yMax = format.offer.yMax;
}

}  // namespace kv
