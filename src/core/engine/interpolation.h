#pragma once

// Interpolation through a handful of (age, value) nodes: a clamped cubic spline and the single
// polynomial through all nodes (Neville's scheme). Callers fill the node arrays directly, then ask
// for values; the classes know nothing of ages or diseases.

#include <stdexcept>
#include <string>
#include <vector>

namespace kavrel {

// Misuse of an interpolation: too few nodes, or abscissae that are not strictly increasing
// (spline) or not distinct (polynomial). Raised instead of reading past an array or dividing by
// zero; the calling command is abandoned and nothing is stored.
class InterpolationError : public std::invalid_argument {
 public:
  explicit InterpolationError(const std::string& what) : std::invalid_argument(what) {}
};

class Tcubicspline {
 public:
  explicit Tcubicspline(int n);

  // Fills Y2 from X, Y and the two end slopes. Call once after the nodes are set.
  void ComputeSecondDerivatives();
  // The spline's value at x; outside the nodes the end interval's cubic is extrapolated.
  double Interpolate(double x) const;

  int Count;
  std::vector<double> X;
  std::vector<double> Y;
  std::vector<double> Y2;
  double SlopeLow = 0.0;   // first derivative prescribed at node 0
  double SlopeHigh = 0.0;  // first derivative prescribed at node n - 1

 private:
  void CheckNodes() const;
  std::vector<double> u_;  // right-hand sides of the tridiagonal decomposition
};

class Tpolinomint {
 public:
  explicit Tpolinomint(int n);

  // The value at x of the polynomial of degree n - 1 through all n nodes. Not const: Neville's
  // tableaux are kept in the object so that evaluation allocates nothing.
  void Interpolate(double x, double& y);
  double Interpolate(double x) {
    double y = 0.0;
    Interpolate(x, y);
    return y;
  }

  int Count;
  std::vector<double> XA;
  std::vector<double> YA;

 private:
  std::vector<double> c_;
  std::vector<double> d_;
};

}  // namespace kavrel
