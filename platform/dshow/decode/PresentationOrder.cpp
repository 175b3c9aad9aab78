#include "platform/dshow/decode/PresentationOrder.h"

#include <algorithm>
#include <numeric>

namespace quellon::decode {

bool TimestampsGiveOrder(const std::vector<std::int64_t>& pts)
{
    std::vector<std::int64_t> sorted(pts);
    if (std::find(sorted.begin(), sorted.end(), kNoTimestamp) != sorted.end())
        return false;
    std::sort(sorted.begin(), sorted.end());
    return std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end();
}

std::vector<std::int64_t> OrderByTimestamps(const std::vector<std::int64_t>& pts)
{
    std::vector<std::int64_t> order(pts.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](std::int64_t a, std::int64_t b) { return pts[a] < pts[b]; });
    return order;
}

std::vector<std::int64_t> OrderByPictureTypes(const std::vector<char>& pictureTypes)
{
    std::vector<std::int64_t> order;
    order.reserve(pictureTypes.size());
    std::int64_t heldReference = -1;
    for (std::size_t i = 0; i < pictureTypes.size(); ++i) {
        const auto index = static_cast<std::int64_t>(i);
        if (pictureTypes[i] == 'B') {
            order.push_back(index);
            continue;
        }
        if (heldReference >= 0)
            order.push_back(heldReference);
        heldReference = index;
    }
    if (heldReference >= 0)
        order.push_back(heldReference);
    return order;
}

std::vector<std::int64_t> PlacesOf(const std::vector<std::int64_t>& order, std::int64_t count)
{
    std::vector<std::int64_t> places(static_cast<std::size_t>(count), -1);
    for (std::size_t place = 0; place < order.size(); ++place)
        places[static_cast<std::size_t>(order[place])] = static_cast<std::int64_t>(place);
    return places;
}

std::vector<double> PresentationTimes(const std::vector<std::int64_t>& ptsInOrder, double timeBaseSeconds,
                                      double frameDurationSeconds)
{
    std::vector<double> times(ptsInOrder.size());
    if (times.empty())
        return times;
    const std::int64_t base = ptsInOrder[0];
    for (std::size_t n = 1; n < times.size(); ++n) {
        const double previous = times[n - 1];
        double candidate = previous + frameDurationSeconds;
        if (base != kNoTimestamp && ptsInOrder[n] != kNoTimestamp) {
            const double stamped = static_cast<double>(ptsInOrder[n] - base) * timeBaseSeconds;
            // A time only a rounding step later would not tell the two frames apart.
            if (stamped > previous + kMinTimeStep * std::max(1.0, previous))
                candidate = stamped;
        }
        times[n] = candidate;
    }
    return times;
}

}  // namespace quellon::decode
