#include "sim/ship_physics.h"

#include <cmath>

#include "sim/locator.h"
#include "track/track_file.h"

// Force-model constants; see the coefficients of ShipState for the per-ship ones.
static const double normalDampingFactor = 10.0;
static const double tractionShare = 0.65;
static const double gripOffset = 0.2;
static const double gripMin = 0.5;
static const double gripMax = 1.0;
static const double frictionLimit = 1.1;
// m/s: below it thrust is not divided by the speed.
static const double lowSpeedThrustBound = 1.0;
// m/s: speeds at or below give no sideways friction or braking.
static const double directionThreshold = 1e-11;
// (m/s)^2: squared speeds at or below give no drag.
static const double dragThreshold = 1e-9;
// m/s: below it the turn rate scales with speed.
static const double fullSteeringSpeed = 15.0;

static double clampToLimit(double value, double limit)
{
    if (std::fabs(value) > limit) {
        double sign = value > 0.0 ? 1.0 : (value < 0.0 ? -1.0 : 0.0);
        return sign * limit;
    }
    return value;
}

ShipDerivative shipDerivative(const ShipState& s, const Track& track, double g)
{
    const TrackContact hit = locate(track, s);
    const Vec3 n = hit.normal;
    const Vec3 v = s.velocity;
    const Vec3 right = row(s.orientation, 0);
    const Vec3 forward = row(s.orientation, 1);
    const double m = s.mass;

    const Vec3 vL = scale(right, dot(right, v));
    const double sL = length(vL);
    const Vec3 vF = scale(forward, dot(forward, v));
    const double qF = dot(vF, vF);
    // A magnitude: the same for a ship moving backwards.
    const double sF = std::sqrt(qF);
    const double q = dot(v, v);

    const Vec3 weight{0.0, 0.0, -m * g};
    const Vec3 damping = scale(scale(neg(n), dot(v, n)), m * normalDampingFactor * g);
    const Vec3 support = scale(n, -dot(weight, n));
    const Vec3 base = add(add(damping, weight), support);
    const double load = length(damping) + m * g * n.z + s.downforce * qF;

    Vec3 horizontal{0.0, 0.0, 0.0};
    if (sL > directionThreshold)
        horizontal = neg(scale(divide(vL, sL), load));
    const double brake = s.control.brake;
    if (brake > 0.0 && sF > directionThreshold)
        horizontal = sub(horizontal, scale(scale(divide(vF, sF), load), brake));
    const double throttle = s.control.throttle;
    if (throttle > 0.0) {
        double drive = sF > lowSpeedThrustBound ? throttle * s.enginePower / sF : throttle * s.enginePower;
        double traction = load * tractionShare;
        double thrust = traction > drive ? drive : traction;
        // Along the ship's nose, not along its velocity.
        horizontal = add(horizontal, scale(forward, thrust));
    }

    double grip = sF + gripOffset - sL;
    if (grip <= gripMin)
        grip = gripMin;
    else if (grip >= gripMax)
        grip = gripMax;
    const double limit = grip * frictionLimit * load;

    // Per ship axis; the component along the ship's up axis is dropped.
    const double a = clampToLimit(dot(horizontal, right), limit);
    const double b = clampToLimit(dot(horizontal, forward), limit);
    const Vec3 contact = add(scale(right, a), scale(forward, b));

    Vec3 accel = divide(add(base, contact), m);
    if (q > dragThreshold) {
        double speed = std::sqrt(q);
        // A deceleration: not divided by the mass.
        double drag = s.linearDrag * speed + s.quadraticDrag * q;
        accel = sub(accel, scale(divide(v, speed), drag));
    }
    return ShipDerivative{v, accel};
}

// A copy of s whose position and velocity are advanced by k scaled by f.
static ShipState advanced(const ShipState& s, const ShipDerivative& k, double f)
{
    ShipState c = s;
    c.position = add(s.position, scale(k.position, f));
    c.velocity = add(s.velocity, scale(k.velocity, f));
    return c;
}

static ShipDerivative scaled(const ShipDerivative& k, double h)
{
    return ShipDerivative{scale(k.position, h), scale(k.velocity, h)};
}

void stepShipState(ShipState& s, const Track& track, double g, double h)
{
    // Stage weights 1/3, 1/6, 1/6, 1/3, not the classical 1/6, 1/3, 1/3, 1/6:
    // stored runs were recorded with these and replay only with them.
    const ShipDerivative a1 = scaled(shipDerivative(s, track, g), h);
    const ShipDerivative a2 = scaled(shipDerivative(advanced(s, a1, 0.5), track, g), h);
    const ShipDerivative a3 = scaled(shipDerivative(advanced(s, a2, 0.5), track, g), h);
    ShipState s4 = s;
    s4.position = add(s.position, a3.position);
    s4.velocity = add(s.velocity, a3.velocity);
    const ShipDerivative a4 = scaled(shipDerivative(s4, track, g), h);

    const double third = 0.3333333333333333;
    const double sixth = 0.16666666666666666;
    s.position = add(add(add(add(s.position, scale(a1.position, third)), scale(a2.position, sixth)),
                         scale(a3.position, sixth)),
                     scale(a4.position, third));
    s.velocity = add(add(add(add(s.velocity, scale(a1.velocity, third)), scale(a2.velocity, sixth)),
                         scale(a3.velocity, sixth)),
                     scale(a4.velocity, third));

    const TrackContact hit = locate(track, s);
    s.segment = hit.segment;
    s.trackU = hit.u;
    s.trackT = hit.t;
    const Vec3 n = hit.normal;

    // Onto the tangent plane at the contact: no hover gap, no jump.
    s.position = add(s.position, scale(n, dot(sub(hit.point, s.position), n)));
    s.velocity = sub(s.velocity, scale(n, dot(s.velocity, n)));

    // The frame is rebuilt from the normal every tick, so rounding never skews it.
    const Vec3 forward = row(s.orientation, 1);
    const Vec3 f1 = sub(forward, scale(n, dot(forward, n)));
    const Vec3 r1 = cross(f1, n);
    const Vec3 f2 = cross(n, r1);
    const Vec3 right = normalize(r1);
    const Vec3 ahead = normalize(f2);
    const Vec3 up = normalize(n);

    // steer is a yaw rate in rad/s at speed, scaled down below full-steering speed.
    const double speed = length(s.velocity);
    const double steer = s.control.steer;
    double angle = speed > fullSteeringSpeed ? steer * h : steer * h * (speed / fullSteeringSpeed);
    const Mat3 turn = rotationAbout(up, angle);
    setRow(s.orientation, 0, mul(turn, right));
    setRow(s.orientation, 1, mul(turn, ahead));
    setRow(s.orientation, 2, up);
}

void resetShip(ShipState& s, const Track& track)
{
    s.pad0 = 0;
    s.mass = 1.1;
    s.position = Vec3{0.0, 0.0, 0.0};
    s.velocity = Vec3{0.0, 0.0, 0.0};
    s.enginePower = 500.0;
    s.orientation = identity();
    // One unit in the last place above 0.0225, as stored in existing runs.
    s.linearDrag = 0.022500000000000003;
    s.quadraticDrag = 0.0003375;
    s.downforce = 0.0001575;
    s.segment = -1;
    s.pad1 = 0;
    s.trackU = 0.5;
    s.trackT = 0.5;
    const TrackContact hit = locate(track, s);
    s.position = hit.point;
    s.trackU = hit.u;
    s.trackT = hit.t;
}
