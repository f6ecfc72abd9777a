# Sourced by the benchmark scripts.

# median_of_lines: the median of the numbers on standard input, one per line.
median_of_lines() {
  sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
