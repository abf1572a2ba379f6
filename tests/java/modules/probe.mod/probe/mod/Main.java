package probe.mod;

import java.io.IOException;
import java.lang.reflect.Method;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.util.List;
import java.util.Map;
import java.util.TreeMap;
import java.util.stream.Collectors;

/**
 * The jar's ModuleMainClass. Writes "key=value" lines to System.out as probe.Report does: the class
 * and module that run, the jdk.module.* properties, the class path, the arguments, the boot layer's
 * modules, whether java.base opens java.lang to this module, a class of the unnamed module's class
 * path if there is one, and (when java.management was added) the VM's input arguments.
 * With the argument "stay" main waits up to a minute for a file "stop" in the working directory;
 * secondaryMain writes its arguments to "secondary.txt" there and answers 40 plus their number.
 * With the argument "throw" main ends with an exception after its report.
 */
public final class Main {
    private Main() {}

    public static void main(String[] args) throws Exception {
        report(Main.class, args);
        if (args.length > 0 && args[0].equals("throw")) throw new IllegalStateException("probe.mod was asked to throw");
        if (args.length > 0 && args[0].equals("stay")) {
            Files.write(Paths.get("started"), new byte[0]);
            for (int i = 0; i < 600 && !Files.exists(Paths.get("stop")); i++) Thread.sleep(100);
        }
    }

    public static int secondaryMain(String[] args) throws IOException {
        Files.write(Paths.get("secondary.txt"), String.join("|", args).getBytes("UTF-8"));
        return 40 + args.length;
    }

    static void report(Class<?> main, String[] args) throws Exception {
        Map<String, String> report = new TreeMap<>();
        report.put("class", main.getName());
        report.put("module", String.valueOf(main.getModule().getName()));
        report.put("lib", probe.lib.Lib.where());
        report.put("args", String.join("|", args));
        for (String name : new String[] {"jdk.module.main", "jdk.module.main.class", "jdk.module.path",
                "java.class.path", "java.version"}) {
            report.put(name, String.valueOf(System.getProperty(name)));
        }
        report.put("modules", ModuleLayer.boot().modules().stream().map(Module::getName).sorted()
                .collect(Collectors.joining(",")));
        report.put("opens.java.lang", Boolean.toString(Object.class.getModule().isOpen("java.lang", main.getModule())));
        try {
            report.put("classpath.module", String.valueOf(Class.forName("probe.Report").getModule()));
        } catch (ClassNotFoundException e) {
            report.put("classpath.module", "none");
        }
        if (ModuleLayer.boot().findModule("java.management").isPresent()) {
            Class<?> factory = Class.forName("java.lang.management.ManagementFactory");
            Object bean = factory.getMethod("getRuntimeMXBean").invoke(null);
            Method inputs = Class.forName("java.lang.management.RuntimeMXBean").getMethod("getInputArguments");
            List<?> list = (List<?>) inputs.invoke(bean);
            report.put("input", list.stream().map(String::valueOf).collect(Collectors.joining("|")));
        }
        StringBuilder out = new StringBuilder();
        for (Map.Entry<String, String> entry : report.entrySet()) {
            out.append(entry.getKey()).append('=').append(escape(entry.getValue())).append('\n');
        }
        out.append("end=1\n");
        System.out.print(out);
        System.out.flush();
    }

    static String escape(String text) {
        StringBuilder escaped = new StringBuilder();
        for (char c : text.toCharArray()) {
            if (c == '\\') {
                escaped.append("\\\\");
            } else if (c < 0x20 || c > 0x7e) {
                escaped.append(String.format("\\u%04x", (int) c));
            } else {
                escaped.append(c);
            }
        }
        return escaped.toString();
    }
}
