// The module kelvaro._kelvaro: its parts, and the checks of Python values that all of
// them share.

#include <pybind11/numpy.h>

#include <sys/stat.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

#include "python/bindings.h"
#include "viz/seed_directions.h"
#include "viz/worker_threads.h"

namespace kelvaro::python {
namespace {

// A Python object that the module keeps for the life of the process: never released, so
// that nothing is released after the interpreter has ended.
PyObject* keptForever(py::object object) { return object.release().ptr(); }

bool isBoolean(const py::handle& value) {
    static PyObject* const numpyBool = keptForever(py::module_::import("numpy").attr("bool_"));
    return PyBool_Check(value.ptr()) || PyObject_IsInstance(value.ptr(), numpyBool) == 1;
}

bool isRealNumber(const py::handle& value) {
    static PyObject* const real = keptForever(py::module_::import("numbers").attr("Real"));
    const int answer = PyObject_IsInstance(value.ptr(), real);
    if (answer < 0) throw py::error_already_set();
    return answer == 1;
}

// A file opened for reading; a folder, which opens on this system but reads as nothing,
// is refused as the model reader refuses it.
struct OpenedFile {
    std::FILE* file = nullptr;
    int error = 0;
    explicit OpenedFile(const std::string& path) : file(std::fopen(path.c_str(), "rb")) {
        struct stat status {};
        error = file == nullptr ? errno : 0;
        if (file != nullptr && fstat(fileno(file), &status) == 0 && S_ISDIR(status.st_mode)) error = EISDIR;
    }
    ~OpenedFile() {
        if (file != nullptr) std::fclose(file);
    }
    OpenedFile(const OpenedFile&) = delete;
    OpenedFile& operator=(const OpenedFile&) = delete;
};

// pybind11 (2.10) ends the process when its base class pybind11_object itself, or a Python
// class derived from it alone, is instantiated (kelvaro.Model.__base__() does it): such a
// type holds no C++ object. Its own allocation is refused here with TypeError instead.
newfunc pybind11New = nullptr;

PyObject* refuseBareInstances(PyTypeObject* type, PyObject* arguments, PyObject* keywords) {
    if (py::detail::all_type_info(type).empty()) {
        PyErr_Format(PyExc_TypeError, "cannot create '%s' instances: no class of the module stands behind it",
                     type->tp_name);
        return nullptr;
    }
    return pybind11New(type, arguments, keywords);
}

}  // namespace

void guardBaseClass() {
    auto* base = reinterpret_cast<PyTypeObject*>(py::detail::get_internals().instance_base);
    if (base->tp_new == refuseBareInstances) return;
    pybind11New = base->tp_new;
    base->tp_new = refuseBareInstances;
}

std::string typeName(const py::handle& value) { return py::str(py::type::of(value).attr("__name__")); }

long long integerIn(const py::handle& value, long long low, long long high, const char* what) {
    if (isBoolean(value) || !PyIndex_Check(value.ptr())) {
        throw py::type_error(std::string(what) + " must be a whole number, not " + typeName(value));
    }
    const py::int_ number = py::reinterpret_steal<py::int_>(PyNumber_Index(value.ptr()));
    if (!number) throw py::error_already_set();
    int overflow = 0;
    const long long result = PyLong_AsLongLongAndOverflow(number.ptr(), &overflow);
    if (overflow != 0 || result < low || result > high) {
        const std::string given = overflow != 0 ? "a number that large" : std::to_string(result);
        throw py::value_error(std::string(what) + " must be from " + std::to_string(low) + " to " +
                              std::to_string(high) + ", not " + given);
    }
    return result;
}

double realNumber(const py::handle& value, const char* what) {
    if (isBoolean(value) || !isRealNumber(value)) {
        throw py::type_error(std::string(what) + " must be a real number, not " + typeName(value));
    }
    const double result = PyFloat_AsDouble(value.ptr());
    if (result == -1.0 && PyErr_Occurred()) {
        if (!PyErr_ExceptionMatches(PyExc_OverflowError)) throw py::error_already_set();
        PyErr_Clear();
        throw py::value_error(std::string(what) + " is too large for a float");
    }
    return result;
}

bool flagOf(const py::handle& value, const char* what) {
    if (!isBoolean(value)) throw py::type_error(std::string(what) + " must be True or False, not " + typeName(value));
    return PyObject_IsTrue(value.ptr()) == 1;
}

std::string textOf(const py::handle& value, const char* what) {
    if (!PyUnicode_Check(value.ptr())) throw py::type_error(std::string(what) + " must be a str, not " + typeName(value));
    const std::string text = py::str(value);
    if (text.find('\0') != std::string::npos) {
        throw py::value_error(std::string(what) + " holds a NUL character: " + std::string(py::repr(value)));
    }
    return text;
}

GivenPoints pointsOf(const py::handle& points, const char* what) {
    const std::string name = what;
    const py::module_ numpy = py::module_::import("numpy");
    py::array given;
    try {
        given = numpy.attr("asarray")(points);
        // Python numbers that NumPy keeps as objects (an int beyond 64 bits, a Fraction).
        if (given.dtype().kind() == 'O') given = numpy.attr("asarray")(given, "float64");
    } catch (py::error_already_set& failure) {
        if (failure.matches(PyExc_OverflowError)) throw py::value_error(name + " hold a number too large for a float");
        if (failure.matches(PyExc_ValueError)) throw py::value_error(name + " must be an array of shape (..., 3): " + failure.what());
        throw py::type_error(name + " must hold real numbers: " + failure.what());
    }
    const char kind = given.dtype().kind();
    if (kind != 'f' && kind != 'i' && kind != 'u') {
        throw py::type_error(name + " must hold real numbers, not " + std::string(py::str(given.dtype())) +
                             (kind == 'b' ? " (a bool is no coordinate)" : ""));
    }
    if (given.ndim() == 0 || given.shape(given.ndim() - 1) != 3) {
        throw py::value_error(name + " must have shape (..., 3), the coordinates last, not " +
                              std::string(py::str(given.attr("shape"))));
    }
    GivenPoints result;
    result.leading.assign(given.shape(), given.shape() + given.ndim() - 1);
    result.count = static_cast<std::size_t>(given.size() / 3);
    // In C order, aligned for the dtype and in the machine's byte order: read as plain arrays.
    constexpr int plain = py::array::c_style | py::array::forcecast | py::detail::npy_api::NPY_ARRAY_ALIGNED_;
    if (kind == 'f' && given.itemsize() == 8) {
        result.array = py::array_t<double, plain>::ensure(given);
    } else {
        result.array = py::array_t<float, plain>::ensure(given);
        result.single = true;
    }
    if (!result.array) throw py::error_already_set();
    return result;
}

std::vector<py::ssize_t> resultShape(const GivenPoints& points, std::initializer_list<py::ssize_t> trailing) {
    std::vector<py::ssize_t> shape = points.leading;
    shape.insert(shape.end(), trailing);
    return shape;
}

std::string pointName(const GivenPoints& points, std::size_t flat, const char* what) {
    std::vector<std::size_t> index(points.leading.size());
    for (std::size_t axis = index.size(); axis-- > 0;) {
        const auto size = static_cast<std::size_t>(points.leading[axis]);
        index[axis] = flat % size;
        flat /= size;
    }
    std::string name = std::string(what) + "[";
    for (std::size_t axis = 0; axis < index.size(); ++axis) name += (axis ? ", " : "") + std::to_string(index[axis]);
    return name + "]";
}

py::object scalarWhenOnePoint(const GivenPoints& points, py::array result) {
    if (points.leading.empty() && result.ndim() == 0) return result[py::tuple()];
    return result;
}

py::array arrayOf(const py::handle& value, const py::dtype& dtype, std::initializer_list<py::ssize_t> shape,
                  const char* what) {
    py::array array;
    try {
        array = py::module_::import("numpy").attr("array")(value, dtype, py::arg("order") = "C");
    } catch (py::error_already_set& failure) {
        throw py::type_error(std::string(what) + " must be an array of " + std::string(py::str(py::handle(dtype))) + ": " +
                             failure.what());
    }
    bool fits = array.ndim() == static_cast<py::ssize_t>(shape.size());
    for (py::ssize_t axis = 0; fits && axis < array.ndim(); ++axis) {
        const py::ssize_t wanted = shape.begin()[axis];
        fits = wanted < 0 || array.shape(axis) == wanted;
    }
    if (!fits) throw py::value_error(std::string(what) + " has the wrong shape, " + std::string(py::str(array.attr("shape"))));
    return array;
}

GivenPath pathOf(const py::handle& value, const char* what) {
    py::object given = py::reinterpret_steal<py::object>(PyOS_FSPath(value.ptr()));
    if (!given) {
        PyErr_Clear();
        throw py::type_error(std::string(what) + " must be a path (str, bytes or os.PathLike), not " + typeName(value));
    }
    py::bytes encoded = PyBytes_Check(given.ptr())
                            ? py::reinterpret_borrow<py::bytes>(given)
                            : py::reinterpret_steal<py::bytes>(PyUnicode_EncodeFSDefault(given.ptr()));
    if (!encoded) throw py::error_already_set();
    std::string bytes = encoded;
    if (bytes.find('\0') != std::string::npos) {
        throw py::value_error(std::string(what) + " holds a NUL character: " + std::string(py::repr(given)));
    }
    return {std::move(bytes), std::move(given)};
}

std::string shownPath(const GivenPath& path) {
    const py::object text = py::module_::import("os").attr("fsdecode")(path.given);
    return py::bytes(text.attr("encode")("utf-8", "backslashreplace"));
}

void raiseOSError(int code, const std::string& reason, const GivenPath& path) {
    const py::object error = py::reinterpret_borrow<py::object>(PyExc_OSError)(code, reason, path.given);
    // OSError(code, ...) is made as the subclass for the code.
    PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(error.ptr())), error.ptr());
    throw py::error_already_set();
}

std::unique_ptr<Vector3[]> readSeeds(const py::handle& seeds, int count) {
    const py::object where = seeds.is_none() ? py::module_::import("kelvaro").attr("seed_file")()
                                             : py::reinterpret_borrow<py::object>(seeds);
    const GivenPath path = pathOf(where, "seeds");
    const OpenedFile opened(path.bytes);
    if (opened.error != 0) raiseOSError(opened.error, "Could not open the seed file", path);
    std::unique_ptr<Vector3[]> directions = readSeedDirections(opened.file, count);
    if (!directions) {
        throw py::value_error("the seed file " + shownPath(path) + " holds no set of " + std::to_string(count) +
                              " directions");
    }
    return directions;
}

void runStoppable(const std::function<void()>& work) {
    std::atomic<bool> stop{false};
    std::exception_ptr failure;
    bool interrupted = false;
    {
        const py::gil_scoped_release free;
        std::mutex mutex;
        std::condition_variable ended;
        bool done = false;
        const auto guarded = [&] {
            try {
                const BuildStopScope scope(stop);
                work();
            } catch (...) {
                failure = std::current_exception();
            }
            const std::lock_guard lock(mutex);
            done = true;
            ended.notify_one();
        };
        std::thread worker;
        try {
            worker = std::thread(guarded);
        } catch (const std::system_error&) {
            guarded();  // no thread to be had: the work runs here, without looking for signals
        }
        std::unique_lock lock(mutex);
        while (!ended.wait_for(lock, std::chrono::milliseconds(20), [&] { return done; })) {
            if (interrupted) continue;
            lock.unlock();
            {
                const py::gil_scoped_acquire held;
                // Runs the handlers of signals that came; an exception they raise stays set.
                interrupted = PyErr_CheckSignals() != 0;
            }
            if (interrupted) stop = true;
            lock.lock();
        }
        lock.unlock();
        if (worker.joinable()) worker.join();
    }
    if (interrupted) throw py::error_already_set();
    if (failure) std::rethrow_exception(failure);
}

void refuseUninitialised(py::handle instance, const std::type_info& type) {
    const py::detail::type_info* bound = py::detail::get_type_info(type);
    if (bound == nullptr || !PyObject_TypeCheck(instance.ptr(), bound->type)) return;
    const py::detail::value_and_holder held =
        reinterpret_cast<py::detail::instance*>(instance.ptr())->get_value_and_holder(bound, false);
    // Found (its `inst`) without a holder: nothing was constructed in it.
    if (held.inst != nullptr && !held.holder_constructed()) {
        const py::handle kind = py::type::handle_of(instance);
        throw py::type_error("this " + std::string(py::str(kind.attr("__module__"))) + "." +
                             std::string(py::str(kind.attr("__qualname__"))) +
                             " was never initialised (made by __new__ without __init__)");
    }
}

}  // namespace kelvaro::python

PYBIND11_MODULE(_kelvaro, module) {
    using namespace kelvaro::python;
    // Every docstring states its own signature, with the types, shapes and dtypes.
    py::options options;
    options.disable_function_signatures();
    guardBaseClass();
    module.doc() = "The compiled part of kelvaro: see help(kelvaro).";
    ModelClass model(module, "Model");
    bindModel(module, model);
    bindBuilders(module, model);
    bindPicture(module, model);
    bindProbe(model);
    bindPlane(module, model);
}
