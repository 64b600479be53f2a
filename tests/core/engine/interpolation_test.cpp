#include "core/engine/interpolation.h"

#include <cmath>

#include <gtest/gtest.h>

namespace kavrel {
namespace {

Tcubicspline Spline(std::vector<double> x, std::vector<double> y) {
  Tcubicspline spline(static_cast<int>(x.size()));
  spline.X = std::move(x);
  spline.Y = std::move(y);
  spline.ComputeSecondDerivatives();
  return spline;
}

TEST(CubicSplineTest, TwoNodesGiveTheClampedCubic) {
  // (0, 0) and (10, 1) with flat ends: 3t^2 - 2t^3 with t = x / 10.
  const auto spline = Spline({0, 10}, {0, 1});
  for (double x : {0.0, 2.5, 5.0, 7.0, 10.0}) {
    const double t = x / 10;
    EXPECT_NEAR(spline.Interpolate(x), 3 * t * t - 2 * t * t * t, 1e-14) << x;
  }
  EXPECT_DOUBLE_EQ(spline.Interpolate(5.0), 0.5);
  const double h = 1e-6;
  EXPECT_NEAR((spline.Interpolate(h) - spline.Interpolate(0)) / h, 0.0, 1e-5);
  EXPECT_NEAR((spline.Interpolate(10) - spline.Interpolate(10 - h)) / h, 0.0, 1e-5);
}

TEST(CubicSplineTest, NodesEndSlopesAndExtrapolation) {
  const std::vector<double> x = {2, 7, 12, 17, 22, 27, 32};
  std::vector<double> y;
  for (double xi : x) y.push_back(std::log(0.001 * std::exp(0.08 * xi)));
  auto spline = Spline(x, y);
  for (std::size_t k = 0; k < x.size(); ++k) EXPECT_DOUBLE_EQ(spline.Interpolate(x[k]), y[k]);
  // Between nodes a smooth curve is followed closely.
  EXPECT_NEAR(spline.Interpolate(19.5), std::log(0.001) + 0.08 * 19.5, 0.01);
  // Outside the nodes the end cubic goes on: with a flat end at 2 it turns back below 2.
  const double below = spline.Interpolate(0.0);
  EXPECT_NE(below, y.front());
  EXPECT_NE(spline.Interpolate(40.0), y.back());

  // Prescribed slopes other than 0 are honoured too.
  spline.SlopeLow = 1.0;
  spline.SlopeHigh = -2.0;
  spline.ComputeSecondDerivatives();
  const double h = 1e-6;
  EXPECT_NEAR((spline.Interpolate(2 + h) - spline.Interpolate(2)) / h, 1.0, 1e-4);
  EXPECT_NEAR((spline.Interpolate(32) - spline.Interpolate(32 - h)) / h, -2.0, 1e-4);
}

TEST(CubicSplineTest, MisuseIsRefusedClearly) {
  Tcubicspline one(1);
  EXPECT_THROW(one.ComputeSecondDerivatives(), InterpolationError);
  EXPECT_THROW(one.Interpolate(0.0), InterpolationError);
  Tcubicspline none(0);
  EXPECT_THROW(none.ComputeSecondDerivatives(), InterpolationError);
  EXPECT_THROW(Tcubicspline(-1), InterpolationError);

  Tcubicspline equal(3);
  equal.X = {0, 5, 5};
  equal.Y = {1, 2, 3};
  EXPECT_THROW(equal.ComputeSecondDerivatives(), InterpolationError);
  Tcubicspline decreasing(3);
  decreasing.X = {0, 5, 4};
  EXPECT_THROW(decreasing.ComputeSecondDerivatives(), InterpolationError);
}

TEST(PolynomialTest, NevilleScheme) {
  Tpolinomint parabola(3);
  parabola.XA = {0, 1, 2};
  parabola.YA = {0, 1, 4};
  double y = 0;
  parabola.Interpolate(3.0, y);
  EXPECT_DOUBLE_EQ(y, 9.0);
  // Exactly between two nodes, and at a node.
  EXPECT_DOUBLE_EQ(parabola.Interpolate(0.5), 0.25);
  EXPECT_DOUBLE_EQ(parabola.Interpolate(1.0), 1.0);
  EXPECT_DOUBLE_EQ(parabola.Interpolate(-1.5), 2.25);

  // A cubic through four unevenly spaced nodes is reproduced everywhere.
  auto cubic = [](double x) { return 2 - x + 0.5 * x * x - 0.1 * x * x * x; };
  Tpolinomint p(4);
  p.XA = {-1, 0.5, 3, 7};
  for (int k = 0; k < 4; ++k) p.YA[k] = cubic(p.XA[k]);
  for (double x : {-3.0, 0.0, 1.7, 5.0, 10.0}) EXPECT_NEAR(p.Interpolate(x), cubic(x), 1e-10) << x;

  Tpolinomint single(1);
  single.XA = {4};
  single.YA = {0.37};
  for (double x : {-10.0, 4.0, 99.0}) EXPECT_EQ(single.Interpolate(x), 0.37);
}

TEST(PolynomialTest, MisuseIsRefusedClearly) {
  Tpolinomint empty(0);
  EXPECT_THROW(empty.Interpolate(1.0), InterpolationError);
  Tpolinomint same(3);
  same.XA = {1, 2, 1};
  same.YA = {1, 2, 3};
  EXPECT_THROW(same.Interpolate(1.5), InterpolationError);
}

}  // namespace
}  // namespace kavrel
