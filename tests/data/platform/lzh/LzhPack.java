// Packs a file into a raw -lh5- stream with the archiver library's own encoder, for the
// fixtures that the archiver front end would store unpacked (too short or incompressible).
import java.io.*;
import java.util.Properties;
import jp.gr.java_conf.dangan.util.lha.CompressMethod;
import jp.gr.java_conf.dangan.util.lha.LhaProperty;

public class LzhPack {
    public static void main(String[] args) throws IOException {
        byte[] data = java.nio.file.Files.readAllBytes(new File(args[0]).toPath());
        try (OutputStream file = new FileOutputStream(args[1])) {
            OutputStream out = CompressMethod.connectEncoder(file, CompressMethod.LH5,
                                                             LhaProperty.getProperties());
            out.write(data);
            out.close();
        }
    }
}
