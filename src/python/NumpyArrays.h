#pragma once

#include "PythonFailure.h"

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cmath>
#include <memory>
#include <span>
#include <string>
#include <vector>

// Arrays between numpy and the core. An array handed in is read in place when it is a
// one-dimensional, C-contiguous array of the element type; a list, or an array of a type
// numpy casts to it without loss, is converted once; anything else (2-D, strided, a lossy
// type) is refused with InputError rather than copied or cut behind the caller's back.
// An array handed out owns the core's buffer: the vector is moved, never copied.
namespace numpy_arrays {

namespace py = pybind11;

template <class T> struct ReadOnly {
    py::array_t<T> keep; // holds the memory read
    std::span<const T> values;
};

template <class T> ReadOnly<T> Read(const py::handle& object, const char* name) {
    if (!py::isinstance<py::array>(object)) {
        py::object converted;
        try {
            converted = py::array_t<T, py::array::c_style | py::array::forcecast>::ensure(object);
        } catch (const py::error_already_set&) {
        }
        if (!converted) {
            PyErr_Clear();
            RaiseInput(std::string(name) + " must be an array or a sequence of numbers");
        }
        return Read<T>(converted, name);
    }
    auto array = py::reinterpret_borrow<py::array>(object);
    const auto wanted = py::dtype::of<T>();
    if (array.ndim() != 1) {
        RaiseInput(std::string(name) + " must be one-dimensional, not " +
                   std::to_string(array.ndim()) + "-D");
    }
    if (!array.dtype().is(wanted)) {
        const bool safe = py::module_::import("numpy")
                              .attr("can_cast")(array.dtype(), wanted, "safe")
                              .template cast<bool>();
        if (!safe) {
            RaiseInput(std::string(name) + " must hold " +
                       py::str(py::object(wanted)).template cast<std::string>() + " values, not " +
                       py::str(py::object(array.dtype())).template cast<std::string>());
        }
        array = py::array_t<T, py::array::c_style | py::array::forcecast>::ensure(array);
    }
    if (!(array.flags() & py::array::c_style)) {
        RaiseInput(std::string(name) +
                   " must be C-contiguous (numpy.ascontiguousarray makes a copy that is)");
    }
    ReadOnly<T> read;
    read.keep = py::reinterpret_borrow<py::array_t<T>>(array);
    read.values = std::span<const T>(read.keep.data(), static_cast<std::size_t>(read.keep.size()));
    return read;
}

// Refuses NaN and infinities, naming the first one (its index counted from `offset`).
inline void RequireFinite(std::span<const double> values, const char* name,
                          std::size_t offset = 0) {
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (!std::isfinite(values[i])) {
            RaiseInput(std::string(name) + " holds " +
                       (std::isnan(values[i]) ? "NaN" : "infinity") + " at index " +
                       std::to_string(offset + i));
        }
    }
}

// The vector's buffer becomes the array's: numpy frees it with the array.
template <class T> py::array_t<T> Own(std::vector<T>&& values) {
    auto* owned = new std::vector<T>(std::move(values));
    py::capsule free(owned, [](void* pointer) { delete static_cast<std::vector<T>*>(pointer); });
    return py::array_t<T>(static_cast<py::ssize_t>(owned->size()), owned->data(), free);
}

// A new array of n elements for the core to fill.
template <class T> py::array_t<T> Empty(std::size_t n) {
    return py::array_t<T>(static_cast<py::ssize_t>(n));
}

} // namespace numpy_arrays
