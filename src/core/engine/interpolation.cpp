#include "core/engine/interpolation.h"

#include <cmath>

namespace kavrel {

namespace {

std::size_t CheckedCount(int n, const char* what) {
  if (n < 0)
    throw InterpolationError(std::string(what) + ": the number of nodes cannot be negative");
  return static_cast<std::size_t>(n);
}

}  // namespace

Tcubicspline::Tcubicspline(int n)
    : Count(n),
      X(CheckedCount(n, "Cubic spline"), 0.0),
      Y(X.size(), 0.0),
      Y2(X.size(), 0.0),
      u_(X.size(), 0.0) {}

void Tcubicspline::CheckNodes() const {
  if (Count < 2 || X.size() != static_cast<std::size_t>(Count) || Y.size() != X.size() ||
      Y2.size() != X.size()) {
    throw InterpolationError("Cubic spline: at least two nodes are needed");
  }
  for (int k = 1; k < Count; ++k) {
    if (!(X[k] > X[k - 1])) {
      throw InterpolationError("Cubic spline: the ages of the nodes must increase strictly");
    }
  }
}

void Tcubicspline::ComputeSecondDerivatives() {
  CheckNodes();
  const int n = Count;
  auto& U = u_;
  Y2[0] = -0.5;
  U[0] = (3.0 / (X[1] - X[0])) * ((Y[1] - Y[0]) / (X[1] - X[0]) - SlopeLow);
  for (int i = 1; i <= n - 2; ++i) {
    const double sig = (X[i] - X[i - 1]) / (X[i + 1] - X[i - 1]);
    const double p = sig * Y2[i - 1] + 2.0;
    Y2[i] = (sig - 1.0) / p;
    U[i] = (6.0 * ((Y[i + 1] - Y[i]) / (X[i + 1] - X[i]) - (Y[i] - Y[i - 1]) / (X[i] - X[i - 1])) /
                (X[i + 1] - X[i - 1]) -
            sig * U[i - 1]) /
           p;
  }
  const double qn = 0.5;
  const double un =
      (3.0 / (X[n - 1] - X[n - 2])) * (SlopeHigh - (Y[n - 1] - Y[n - 2]) / (X[n - 1] - X[n - 2]));
  Y2[n - 1] = (un - qn * U[n - 2]) / (qn * Y2[n - 2] + 1.0);
  for (int k = n - 2; k >= 0; --k) Y2[k] = Y2[k] * Y2[k + 1] + U[k];
}

double Tcubicspline::Interpolate(double x) const {
  CheckNodes();
  int lo = 0;
  int hi = Count - 1;
  while (hi - lo > 1) {
    const int k = (hi + lo) / 2;
    if (X[k] > x) {
      hi = k;
    } else {
      lo = k;
    }
  }
  const double h = X[hi] - X[lo];
  const double a = (X[hi] - x) / h;
  const double b = (x - X[lo]) / h;
  return a * Y[lo] + b * Y[hi] +
         ((a * a * a - a) * Y2[lo] + (b * b * b - b) * Y2[hi]) * h * h / 6.0;
}

Tpolinomint::Tpolinomint(int n)
    : Count(n),
      XA(CheckedCount(n, "Polynomial interpolation"), 0.0),
      YA(XA.size(), 0.0),
      c_(XA.size(), 0.0),
      d_(XA.size(), 0.0) {}

void Tpolinomint::Interpolate(double x, double& y) {
  const int n = Count;
  if (n < 1 || XA.size() != static_cast<std::size_t>(n) || YA.size() != XA.size()) {
    throw InterpolationError("Polynomial interpolation: at least one node is needed");
  }
  // Neville's scheme, nodes numbered 1 ... n as it is usually told; element k - 1 holds node k.
  auto xa = [&](int k) { return XA[k - 1]; };
  auto& C = c_;
  auto& D = d_;
  int ns = 1;
  double dif = std::fabs(x - xa(1));
  for (int i = 1; i <= n; ++i) {
    const double dift = std::fabs(x - xa(i));
    if (dift < dif) {
      ns = i;
      dif = dift;
    }
    C[i - 1] = YA[i - 1];
    D[i - 1] = YA[i - 1];
  }
  y = YA[ns - 1];
  ns = ns - 1;
  for (int m = 1; m <= n - 1; ++m) {
    for (int i = 1; i <= n - m; ++i) {
      const double ho = xa(i) - x;
      const double hp = xa(i + m) - x;
      const double w = C[i] - D[i - 1];  // C[i+1] - D[i] in node numbers
      const double den = ho - hp;
      if (den == 0.0) {
        throw InterpolationError("Polynomial interpolation: two nodes have the same age");
      }
      const double ratio = w / den;
      D[i - 1] = hp * ratio;
      C[i - 1] = ho * ratio;
    }
    double dy;
    if (2 * ns < n - m) {
      dy = C[ns];  // C[ns+1] in node numbers
    } else {
      dy = D[ns - 1];  // D[ns]
      ns = ns - 1;
    }
    y = y + dy;
  }
}

}  // namespace kavrel
