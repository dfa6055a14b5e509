#pragma once

#include <QtGlobal>

#include <algorithm>
#include <vector>

// The program's lists keep the order of a plain selection sort: each position takes the first
// best of the entries after it, swapping places with it, so equal entries end where the swaps
// leave them. This tree finds that first best in log n steps instead of a scan, which gives the
// same order in n log n time.
//
// beats(a, b) is true when the entry now at position a must come before the one at b; when
// neither beats the other (equal, or not comparable) the lower position wins, as a scan from
// the front keeps its first candidate. The caller swaps its own entries and tells the tree
// which positions changed.
template<class Beats> class SelectionTree
{
public:
    SelectionTree(size_t count, Beats beats)
        : m_beats(std::move(beats))
    {
        while (m_size < count)
            m_size *= 2;
        m_tree.assign(2 * m_size, none);
        for (size_t i = 0; i < count; ++i)
            m_tree[m_size + i] = qint64(i);
        for (size_t node = m_size - 1; node >= 1; --node)
            m_tree[node] = better(m_tree[2 * node], m_tree[2 * node + 1]);
    }

    // The first best position still in the tree; -1 when none is left.
    qint64 best() const { return m_tree[1]; }

    // The entry at position changed, or (present false) leaves the tree.
    void update(size_t position, bool present)
    {
        size_t node = m_size + position;
        m_tree[node] = present ? qint64(position) : none;
        for (node /= 2; node >= 1; node /= 2)
            m_tree[node] = better(m_tree[2 * node], m_tree[2 * node + 1]);
    }

private:
    static constexpr qint64 none = -1;

    qint64 better(qint64 a, qint64 b) const
    {
        if (a == none)
            return b;
        if (b == none)
            return a;
        if (m_beats(size_t(b), size_t(a)))
            return b;
        if (m_beats(size_t(a), size_t(b)))
            return a;
        return std::min(a, b);
    }

    Beats m_beats;
    size_t m_size = 1;
    std::vector<qint64> m_tree;
};
