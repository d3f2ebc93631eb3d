#!/usr/bin/env python3
# The loop a user would script instead of tavrilo-render: the same animated
# 3D bar chart (12 bars, back wall, grid, axis labels, title) drawn with
# matplotlib's Agg canvas, frame by frame, draw only (nothing is saved).
#   python3 bench/matplotlib_bars.py FRAMES WIDTH HEIGHT
import math
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402

frames = int(sys.argv[1]) if len(sys.argv) > 1 else 100
width = int(sys.argv[2]) if len(sys.argv) > 2 else 720
height = int(sys.argv[3]) if len(sys.argv) > 3 else 486
dpi = 100
months = ["Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"]

fig = plt.figure(figsize=(width / dpi, height / dpi), dpi=dpi)
ax = fig.add_subplot(projection="3d")
for frame in range(frames):
    t = frame / max(1, frames - 1)
    ax.cla()
    heights = [(1 + i % 5) * 10 * t + 5 * math.sin(i + 6 * t) + 5 for i in range(12)]
    ax.bar3d(range(12), [0] * 12, [0] * 12, 0.6, 0.6, heights, color="tab:blue", shade=True)
    ax.set_xticks(range(12))
    ax.set_xticklabels(months)
    ax.set_zlim(0, 70)
    ax.set_yticks([])
    ax.grid(True)
    ax.set_zlabel("Sales")
    ax.set_title("Monthly sales")
    ax.view_init(elev=20, azim=-60 + 20 * t)
    fig.canvas.draw()
