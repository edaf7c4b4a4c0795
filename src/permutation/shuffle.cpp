#include "permutation/shuffle.h"

#include "run/random_source.h"
#include "run_settings.h"

int scale_draw(int value, int s) { return static_cast<int>((value / 32767.0000000001) * s); }

void permute_phenotypes(PhenotypeVector& phenotypes, const PhenotypeVector& observed_phenotypes,
                        int n, NextValue next_value) {
    if (n < 1 || n > MAX_CROSSES) return;

    // Fenwick tree over the flags "not yet placed", 1-based: tree[i] counts
    // the unplaced entries among i - lowbit(i) + 1 .. i. All start unplaced.
    int tree[MAX_CROSSES + 1];
    for (int i = 1; i <= n; ++i) tree[i] = i & -i;
    int top = 1;
    while (top * 2 <= n) top *= 2;

    int remaining = n;
    // Places the unplaced entry of rank k (from 0) at destination d.
    const auto place = [&](int k, int d) {
        if (k >= remaining) return;  // nothing left: the second value when n is 1
        // Descend to the last 1-based position with at most k unplaced entries
        // up to it; the 0-based index of the entry of rank k is that position.
        int position = 0;
        for (int step = top; step > 0; step /= 2) {
            const int next = position + step;
            if (next <= n && tree[next] <= k) {
                position = next;
                k -= tree[next];
            }
        }
        phenotypes[d] = observed_phenotypes[position];
        for (int i = position + 1; i <= n; i += i & -i) tree[i] -= 1;
        --remaining;
    };

    // The values in the walk's order: one scaled by n, then one per
    // destination entry from 1 on, scaled by the entries left, at least once.
    place(scale_draw(next_value(), n), 0);
    int d = 1;
    do {
        place(scale_draw(next_value(), remaining), d);
        ++d;
    } while (d < n);
}

void permute_phenotypes_by_walk(PhenotypeVector& phenotypes,
                                const PhenotypeVector& observed_phenotypes, int n,
                                NextValue next_value) {
    if (n < 1 || n > MAX_CROSSES) return;
    int taken[MAX_CROSSES];
    for (int i = 0; i < n; ++i) taken[i] = 0;

    int k = scale_draw(next_value(), n);
    phenotypes[0] = observed_phenotypes[k];
    taken[k] = 1;
    int r = n - 1;
    int d = 1;
    do {
        k = scale_draw(next_value(), r);
        for (int i = 0; i < n; ++i) {
            if (taken[i] == 0) --k;
            if (k < 0) {
                phenotypes[d] = observed_phenotypes[i];
                taken[i] = 1;
                --r;
                break;
            }
        }
        ++d;
    } while (d < n);
}

void shuffle_phenotypes(PhenotypeVector& phenotypes, const PhenotypeVector& observed_phenotypes) {
    permute_phenotypes(phenotypes, observed_phenotypes, cross_count, random15);
}
