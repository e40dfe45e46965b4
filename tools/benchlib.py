"""What the measuring scripts in tools/ share: the generated date lists."""
import random

DAYS_IN_MONTH = [31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31]


def write_list(path, entries):
    """`entries` birthdays between 1900 and 2025, the same for the same count on every run."""
    rng = random.Random(42)
    with open(path, "w", encoding="utf-8") as out:
        for i in range(1, entries + 1):
            y = 1900 + rng.randrange(126)
            m = 1 + rng.randrange(12)
            d = 1 + rng.randrange(DAYS_IN_MONTH[m - 1])
            out.write(f"{d:02d}.{m:02d}.{y:04d} Person {i} wird # alt\n")
