#include "standin/view/labelplacement.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace zep::view {

namespace {

// What a place costs. A marker hidden loses a satellite from sight; a label
// on the Earth reads poorly and hides the ground; a line through the letters
// blurs them; a label far from its point is hard to tie to it. In that order:
// any place off the Earth beats any on it, however crossed by lines and far.
constexpr double kOnMarker = 400;
constexpr double kOnEarth = 200, kEarthDepth = 20;  // the latter for the whole label height inside
constexpr double kPerLinePixel = 1, kLinesMost = 80;
constexpr double kOnPoint = 12;  // another label's unmarked point
constexpr double kPerPixelAway = 0.2;
constexpr double kTurnedAway = 1.5;  // the side of the point opposite the preferred one
constexpr double kLeader = 2;
// A label whose room lies further than this many of its heights beyond the
// point's marker is tied to it by a leader.
constexpr double kLeaderFrom = 0.9;
constexpr double kLeaderOverLabel = 10;

constexpr double kInfinite = std::numeric_limits<double>::infinity();

// Distances from the point (beyond its marker) to the nearest edge of the
// label's room that are tried, nearest first; finer near the point, where a
// label is best read.
constexpr double kRings[] = {0, 3, 7, 12, 18, 26, 36, 48, 62, 78, 96, 116, 140, 170};
// Spacing of the places along one ring, at least; a third of the ring's
// distance further out.
constexpr double kAlongRing = 6;
// How much further than the first place off the Earth and the markers
// places are tried, in label heights.
constexpr double kFurtherThanFree = 3;
// Places on the Earth are tried only this near the point, once any is found.
constexpr double kOnEarthWithin = 12;

QPointF nearestPoint(QPointF p, const QRectF &r)
{
    return {std::clamp(p.x(), r.left(), r.right()), std::clamp(p.y(), r.top(), r.bottom())};
}

// Plain square roots: hypot's care for huge values costs a third of the time here.
double length(QPointF v) { return std::sqrt(QPointF::dotProduct(v, v)); }
double distance(QPointF p, const QRectF &r) { return length(nearestPoint(p, r) - p); }

// QRectF's own tests, inline: they are asked hundreds of thousands of times.
bool overlaps(const QRectF &a, const QRectF &b)
{
    return a.left() < b.right() && b.left() < a.right() && a.top() < b.bottom() && b.top() < a.bottom();
}
bool inside(const QRectF &inner, const QRectF &outer)
{
    return inner.left() >= outer.left() && inner.right() <= outer.right() && inner.top() >= outer.top()
        && inner.bottom() <= outer.bottom();
}

// The part of a segment inside a rectangle (Liang-Barsky); nullopt when none.
std::optional<QLineF> clipped(const QLineF &l, const QRectF &r)
{
    const double dx = l.dx(), dy = l.dy();
    double t0 = 0, t1 = 1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {l.x1() - r.left(), r.right() - l.x1(), l.y1() - r.top(), r.bottom() - l.y1()};
    for (int k = 0; k < 4; ++k) {
        if (p[k] == 0) {
            if (q[k] < 0)
                return std::nullopt;
            continue;
        }
        const double t = q[k] / p[k];
        if (p[k] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return std::nullopt;
    }
    return QLineF(l.pointAt(t0), l.pointAt(t1));
}

double lengthInside(const QLineF &l, const QRectF &r)
{
    if (std::max(l.x1(), l.x2()) < r.left() || std::min(l.x1(), l.x2()) > r.right()
        || std::max(l.y1(), l.y2()) < r.top() || std::min(l.y1(), l.y2()) > r.bottom())
        return 0;
    const std::optional<QLineF> in = clipped(l, r);
    return in ? length(in->p2() - in->p1()) : 0;
}

// Things bucketed by their bounding boxes in coarse cells of the view, so
// that a place asks only about the few near it.
class Buckets {
public:
    explicit Buckets(const QRectF &area) : area_(area)
    {
        cols_ = std::clamp(int(std::ceil(area.width() / kCell)), 1, 1024);
        rows_ = std::clamp(int(std::ceil(area.height() / kCell)), 1, 1024);
        cells_.resize(size_t(cols_) * rows_);
    }

    void insert(const QRectF &box, int index)
    {
        if (size_t(index) >= seen_.size())
            seen_.resize(size_t(index) + 1, 0);
        forCells(box, [&](std::vector<int> &cell) { cell.push_back(index); });
    }

    // Calls f once for each thing whose cells meet r, until it returns true;
    // whether it did.
    template <typename F> bool any(const QRectF &r, F &&f)
    {
        ++stamp_;
        bool found = false;
        forCells(r, [&](const std::vector<int> &cell) {
            for (size_t k = 0; k < cell.size() && !found; ++k) {
                const int i = cell[k];
                if (seen_[i] != stamp_) {
                    seen_[i] = stamp_;
                    found = f(i);
                }
            }
        });
        return found;
    }

private:
    static constexpr double kCell = 32;

    template <typename F> void forCells(const QRectF &r, F &&f)
    {
        const auto col = [&](double x) { return std::clamp(int((x - area_.left()) / kCell), 0, cols_ - 1); };
        const auto row = [&](double y) { return std::clamp(int((y - area_.top()) / kCell), 0, rows_ - 1); };
        const int c1 = col(r.right()), r1 = row(r.bottom());
        for (int y = row(r.top()); y <= r1; ++y)
            for (int x = col(r.left()); x <= c1; ++x)
                f(cells_[size_t(y) * cols_ + x]);
    }

    QRectF area_;
    int cols_ = 1, rows_ = 1;
    std::vector<std::vector<int>> cells_;
    std::vector<unsigned> seen_;
    unsigned stamp_ = 0;
};

// How much line runs through each small cell of the view, summed over the
// cells above and left of each, so that the line inside any rectangle is four
// look-ups however many lines there are. Rounded outwards to whole cells: a
// line a cell beside the letters counts as through them.
class LineDensity {
public:
    LineDensity(const std::vector<QLineF> &lines, const QRectF &view) : view_(view)
    {
        cols_ = std::clamp(int(std::ceil(view.width() / kCell)), 1, 2048);
        rows_ = std::clamp(int(std::ceil(view.height() / kCell)), 1, 2048);
        // Each cell's own line first, one row and column in, then summed in place.
        sums_.assign(size_t(cols_ + 1) * (rows_ + 1), 0.0f);
        const float maxX = float(cols_) - 0.5f, maxY = float(rows_) - 0.5f;
        for (const QLineF &l : lines) {
            QLineF in = l;
            const bool within = std::min(l.x1(), l.x2()) >= view.left() && std::max(l.x1(), l.x2()) <= view.right()
                && std::min(l.y1(), l.y2()) >= view.top() && std::max(l.y1(), l.y2()) <= view.bottom();
            if (!within) {
                const std::optional<QLineF> part = clipped(l, view);
                if (!part)
                    continue;
                in = *part;
            }
            const double total = length(in.p2() - in.p1());
            const int n = std::max(1, int(std::ceil(total / (kCell / 2))));
            const float share = float(total / n);
            const float dx = float(in.dx() / n / kCell), dy = float(in.dy() / n / kCell);
            float x = float((in.x1() - view.left()) / kCell) + dx / 2, y = float((in.y1() - view.top()) / kCell) + dy / 2;
            for (int k = 0; k < n; ++k, x += dx, y += dy)
                sum(int(std::clamp(x, 0.0f, maxX)) + 1, int(std::clamp(y, 0.0f, maxY)) + 1) += share;
        }
        for (int y = 1; y <= rows_; ++y)
            for (int x = 1; x <= cols_; ++x)
                sum(x, y) += sum(x - 1, y);
        for (int y = 1; y <= rows_; ++y)
            for (int x = 1; x <= cols_; ++x)
                sum(x, y) += sum(x, y - 1);
    }

    double inside(const QRectF &r) const
    {
        const auto col = [&](double x) { return std::clamp(int(std::floor((x - view_.left()) / kCell)), 0, cols_); };
        const auto row = [&](double y) { return std::clamp(int(std::floor((y - view_.top()) / kCell)), 0, rows_); };
        const int x0 = col(r.left()), y0 = row(r.top());
        const int x1 = std::min(cols_, col(r.right()) + 1), y1 = std::min(rows_, row(r.bottom()) + 1);
        if (x1 <= x0 || y1 <= y0)
            return 0;
        return std::max(0.0, double(at(x1, y1)) - at(x0, y1) - at(x1, y0) + at(x0, y0));
    }

private:
    static constexpr double kCell = 4;
    float &sum(int x, int y) { return sums_[size_t(y) * (cols_ + 1) + x]; }
    float at(int x, int y) const { return sums_[size_t(y) * (cols_ + 1) + x]; }

    QRectF view_;
    int cols_ = 1, rows_ = 1;
    std::vector<float> sums_;
};

// Centres of a w x h rectangle whose nearest edge lies r from the origin,
// `along` apart round it: its straight sides, then its rounded corners.
void ring(double w, double h, double r, double along, std::vector<QPointF> &out)
{
    out.clear();
    const double hw = w / 2, hh = h / 2;
    const int nx = std::max(1, int(std::ceil(w / along))), ny = std::max(1, int(std::ceil(h / along)));
    for (double side : {-1.0, 1.0}) {
        for (int k = 0; k <= nx; ++k)
            out.emplace_back(-hw + w * k / nx, side * (hh + r));
        for (int k = 0; k <= ny; ++k)
            out.emplace_back(side * (hw + r), -hh + h * k / ny);
    }
    if (r <= 0)
        return;
    const int n = std::max(1, int(std::ceil(r * std::numbers::pi / 2 / along)));
    for (int k = 1; k < n; ++k) {
        const double a = std::numbers::pi / 2 * k / n, x = hw + r * std::cos(a), y = hh + r * std::sin(a);
        out.insert(out.end(), {{x, y}, {-x, y}, {x, -y}, {-x, -y}});
    }
}

class Placer {
public:
    Placer(const std::vector<LabelRequest> &labels, const LabelSurroundings &around)
        : labels_(labels), around_(around), area_(around.view.isEmpty() ? QRectF(0, 0, 1, 1) : around.view),
          lines_(around.lines, area_), markCells_(area_), placedCells_(area_)
    {
        for (size_t j = 0; j < labels.size(); ++j) {
            const double r = std::max(labels[j].markRadius, 0.5);
            markCells_.insert(QRectF(labels[j].anchor - QPointF(r, r), QSizeF(2 * r, 2 * r)), int(j));
        }
    }

    std::optional<LabelPlace> place(size_t index)
    {
        const LabelRequest &l = labels_[index];
        // Deep inside the Earth's disc every place is on it alike.
        const double diagonal = length({l.room.width(), l.room.height()});
        earthMatters_ = around_.earth
            && length(l.anchor - around_.earth->centre) + around_.reach + diagonal > around_.earth->radius;
        best_ = kInfinite;
        bestPlace_.reset();

        // Where it prefers first, then ring by ring outwards while a ring
        // could still beat the best so far.
        candidates_.clear();
        onEarthAllowed_ = true;
        consider(index, l.offset, 0);
        finishRing(index);
        const double mark = std::max(l.markRadius, 0.0);
        const QPointF preferred = l.offset + l.room.center();
        const double preferredLength = length(preferred);
        std::optional<double> freeAt;
        for (double gap : kRings) {
            const double r = mark + 2 + gap;
            if (r > around_.reach || kPerPixelAway * r >= best_)
                break;
            // A place off the Earth and the markers found, a little further
            // may find one off the lines too; not the whole reach in a crowd.
            if (best_ < kOnEarth && !freeAt)
                freeAt = r;
            if (freeAt && r > *freeAt + kFurtherThanFree * l.room.height())
                break;
            // Further out only to get off the Earth: a label that stays on it
            // stays by its point, if it has room there.
            onEarthAllowed_ = gap <= kOnEarthWithin || !bestPlace_;
            if (!onEarthAllowed_ && earthMatters_) {
                const QRectF all = l.room.adjusted(-r, -r, r, r).translated(l.anchor - l.room.center());
                const auto farther = [&](double x, double y) { return length(QPointF(x, y) - around_.earth->centre); };
                if (std::max({farther(all.left(), all.top()), farther(all.right(), all.top()),
                              farther(all.left(), all.bottom()), farther(all.right(), all.bottom())})
                    < around_.earth->radius)
                    continue;
            }
            ring(l.room.width(), l.room.height(), r, std::max(kAlongRing, r / 3), centres_);
            const double base = kPerPixelAway * r + (r > mark + kLeaderFrom * l.room.height() ? kLeader : 0);
            for (const QPointF &c : centres_) {
                double turn = 0;
                if (preferredLength > 0) {
                    const double cosine = QPointF::dotProduct(c, preferred) / (length(c) * preferredLength);
                    turn = kTurnedAway * (1 - cosine) / 2;
                }
                if (base + turn < best_)
                    consider(index, c - l.room.center(), base + turn);
            }
            finishRing(index);
        }
        if (!bestPlace_)
            return std::nullopt;
        placedCells_.insert(bestPlace_->room, int(placed_.size()));
        placed_.push_back(bestPlace_->room);
        if (bestPlace_->leader)
            leaders_.push_back(*bestPlace_->leader);
        return bestPlace_;
    }

private:
    struct Candidate {
        QPointF baseline;
        double cost;  // how far, which side, on the Earth
    };

    // The place with the baseline start at anchor + offset, kept for
    // finishRing() if it is free and may beat the best so far.
    void consider(size_t index, QPointF offset, double cost)
    {
        const LabelRequest &l = labels_[index];
        const QPointF baseline = l.anchor + offset;
        const QRectF room = l.room.translated(baseline);
        if (!around_.view.isEmpty() && !inside(room, around_.view))
            return;
        if (earthMatters_) {
            const QPointF near = nearestPoint(around_.earth->centre, room) - around_.earth->centre;
            const double r = around_.earth->radius;
            if (QPointF::dotProduct(near, near) < r * r) {
                const double d = length(near);
                if (!onEarthAllowed_)
                    return;
                cost += kOnEarth + kEarthDepth * std::min(1.0, (r - d) / room.height());
            }
        }
        if (cost >= best_)
            return;
        // Neighbouring places are mostly taken by the same label: ask it first.
        if (lastInTheWay_ >= 0 && overlaps(placed_[size_t(lastInTheWay_)], room))
            return;
        const auto on = [&](const QRectF &r) { return overlaps(r, room); };
        if (std::any_of(around_.blocks.begin(), around_.blocks.end(), on))
            return;
        if (placedCells_.any(room, [&](int i) { return on(placed_[size_t(lastInTheWay_ = i)]); }))
            return;
        candidates_.push_back({baseline, cost});
    }

    // The rest of the cost is dearer to find: asked of the cheapest free
    // places first, and only while one could still win.
    void finishRing(size_t index)
    {
        const LabelRequest &l = labels_[index];
        const double mark = std::max(l.markRadius, 0.0);
        std::sort(candidates_.begin(), candidates_.end(),
                  [](const Candidate &a, const Candidate &b) { return a.cost < b.cost; });
        for (const Candidate &c : candidates_) {
            if (c.cost >= best_)
                break;
            double cost = c.cost;
            const QRectF room = l.room.translated(c.baseline);
            markCells_.any(room, [&](int j) {
                const LabelRequest &m = labels_[size_t(j)];
                if (m.markRadius > 0 && distance(m.anchor, room) < m.markRadius)
                    cost += kOnMarker;
                else if (m.markRadius <= 0 && size_t(j) != index && room.contains(m.anchor))
                    cost += kOnPoint;
                return cost >= best_;
            });
            std::optional<QLineF> leader;
            const QPointF end = nearestPoint(l.anchor, room);
            const double away = length(end - l.anchor);
            if (cost < best_ && away > mark + kLeaderFrom * l.room.height()) {
                leader = QLineF(l.anchor + (end - l.anchor) * (mark / away), end);
                placedCells_.any(QRectF(leader->p1(), leader->p2()).normalized(), [&](int i) {
                    if (lengthInside(*leader, placed_[size_t(i)]) > 0)
                        cost += kLeaderOverLabel;
                    return cost >= best_;
                });
            }
            if (cost >= best_)
                continue;
            // Half a stroke's width round the letters: a line grazing them still blurs them.
            const QRectF letters = l.letters.translated(c.baseline).adjusted(-1, -1, 1, 1);
            double crossed = lines_.inside(letters);
            for (const QLineF &placedLeader : leaders_)
                crossed += lengthInside(placedLeader, letters);
            cost += std::min(kLinesMost, kPerLinePixel * crossed);
            if (cost < best_) {
                best_ = cost;
                bestPlace_ = LabelPlace{c.baseline, room, leader};
            }
        }
        candidates_.clear();
    }

    const std::vector<LabelRequest> &labels_;
    const LabelSurroundings &around_;
    const QRectF area_;
    LineDensity lines_;
    Buckets markCells_, placedCells_;
    std::vector<QRectF> placed_;
    std::vector<QLineF> leaders_;
    std::vector<QPointF> centres_;
    std::vector<Candidate> candidates_;
    bool earthMatters_ = false, onEarthAllowed_ = true;
    int lastInTheWay_ = -1;  // the placed label that last ruled a place out
    double best_ = kInfinite;
    std::optional<LabelPlace> bestPlace_;
};

} // namespace

std::vector<std::optional<LabelPlace>> placeLabels(const std::vector<LabelRequest> &labels,
                                                   const LabelSurroundings &around)
{
    Placer placer(labels, around);
    std::vector<std::optional<LabelPlace>> out;
    out.reserve(labels.size());
    for (size_t i = 0; i < labels.size(); ++i)
        out.push_back(placer.place(i));
    return out;
}

} // namespace zep::view
